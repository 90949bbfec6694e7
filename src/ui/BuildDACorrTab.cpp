// The output-correction tab: an access-code panel, and behind it the user's correction of the
// four output converter codes, offered only once the correction has been enabled.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Build.h"
#include "FrmMain.h"
#include "OutputRows.h"
#include "Widgets.h"

namespace vl48 {

using namespace build;

void TFrmMain::buildDACorrTab() {
    // The two panels share the tab; only one of them is ever shown.
    auto* stack = new QVBoxLayout(TabDACorr);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    PanelPwd1 = named(new QWidget(TabDACorr), "PanelPwd1");
    PanelDACorr = named(new QWidget(TabDACorr), "PanelDACorr");
    stack->addWidget(PanelPwd1);
    stack->addWidget(PanelDACorr);

    // --- Access code, the same look as on the service tab
    GroupBox3 = group(PanelPwd1, "GroupBox3", QStringLiteral(" Zadejte heslo "));
    MskEdtPwd1 =
        named(new TMaskEdit(QStringLiteral("NNNNNN"), GroupBox3, QLatin1Char('*')), "MskEdtPwd1");
    setBold(MskEdtPwd1);
    MskEdtPwd1->setFixedWidth(
        MskEdtPwd1->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWW")) + 14);
    {
        auto* inner = new QHBoxLayout(GroupBox3);
        inner->setContentsMargins(24, 16, 24, 16);
        inner->addWidget(MskEdtPwd1, 0, Qt::AlignCenter);
        auto* outer = new QGridLayout(PanelPwd1);
        outer->addWidget(GroupBox3, 1, 1);
        outer->setRowStretch(0, 1);
        outer->setRowStretch(2, 1);
        outer->setColumnStretch(0, 1);
        outer->setColumnStretch(2, 1);
    }

    // --- Correction
    SpdBtnEnableDACorr = button(PanelDACorr, "SpdBtnEnableDACorr",
                                QStringLiteral("Povolit korekce DA výstupu"), true);
    GrpBxDACorr = group(PanelDACorr, "GrpBxDACorr",
                        QStringLiteral(" Analogový VÝSTUP izolovaný - DA (14bits)  "));
    QGridLayout* points = outputPoints(
        GrpBxDACorr,
        {{{"SpnEdtAOIZeroDACorr", "PrgBrAOIZeroDACorr", &SpnEdtAOIZeroDACorr, &PrgBrAOIZeroDACorr},
          {"SpnEdtAOIEndDACorr", "PrgBrAOIEndDACorr", &SpnEdtAOIEndDACorr, &PrgBrAOIEndDACorr},
          {"SpnEdtAOUZeroDACorr", "PrgBrAOUZeroDACorr", &SpnEdtAOUZeroDACorr, &PrgBrAOUZeroDACorr},
          {"SpnEdtAOUEndDACorr", "PrgBrAOUEndDACorr", &SpnEdtAOUEndDACorr, &PrgBrAOUEndDACorr}}});
    // Undo belongs to the corrected codes: it sits in their group, under the points.
    SpdBtnUndoDACorr = button(GrpBxDACorr, "SpdBtnUndoDACorr", QStringLiteral("Vrátit změny zpět"));
    points->setRowMinimumHeight(2, 4);
    points->addWidget(SpdBtnUndoDACorr, 3, 0, 1, 2, Qt::AlignRight);
    // The group is enabled by the button above it; until then it is not offered. Its room stays
    // reserved, so the button does not move when the group appears.
    QSizePolicy keep = GrpBxDACorr->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    GrpBxDACorr->setSizePolicy(keep);
    GrpBxDACorr->hide();

    // Button and group in one centred column near the top; the group is wider than the points
    // need so the bars give a usable resolution.
    auto* column = new QVBoxLayout;
    column->setSpacing(10);
    column->addWidget(SpdBtnEnableDACorr, 0, Qt::AlignLeft);
    GrpBxDACorr->setMinimumWidth(420);
    column->addWidget(GrpBxDACorr);
    column->addStretch(1);
    auto* panel = new QHBoxLayout(PanelDACorr);
    panel->setContentsMargins(8, 24, 8, 8);
    panel->addStretch(1);
    panel->addLayout(column);
    panel->addStretch(1);
    PanelDACorr->hide();
}

}  // namespace vl48
