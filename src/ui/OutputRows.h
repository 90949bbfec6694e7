// The four output points of the analog output (current zero and end, voltage zero and end), laid
// out the same way on the service tab and on the output-correction tab: each point's caption and
// spin edit, under them the bar that follows the code and its 0 / 50 / 100 % scale.
#pragma once

#include <array>

class QGridLayout;
class QProgressBar;
class QWidget;

namespace vl48 {
class TSpinEdit;
}

namespace vl48::build {

// What an output field lets be typed: five characters, a sign included. Its handlers limit the
// code that goes out; the field must not, or a typed "-5" would lose its sign.
constexpr int OutputFieldMin = -9999;
constexpr int OutputFieldMax = 99999;

// Names of one point's controls and the window members that receive them.
struct OutputPoint {
    const char* spinName;
    const char* barName;
    TSpinEdit** spin;
    QProgressBar** bar;
};

// Builds the four points in the order "0 mA", "20 mA", "0 V", "10 V" as children of `parent` and
// sets the returned grid as its layout: current outputs in the first row, voltage outputs in the
// second. Callers may add further rows below (row 2 onward, two columns).
QGridLayout* outputPoints(QWidget* parent, const std::array<OutputPoint, 4>& points);

}  // namespace vl48::build
