// The window as a technician sees it, as a table: where every named control stands, what it says,
// its tooltip and spoken name, whether it is shown and enabled, in every view and tab and in both
// languages, along with the texts of the unnamed captions, the menu items and the tabs. The table
// is committed beside this file; with VL48_RECORD_LAYOUT=1 the test writes it anew from the
// window instead of comparing.
#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTextStream>
#include <algorithm>
#include <map>

#include "WindowFixture.h"
#include "window/OKBottomDlg.h"

using namespace vl48;

namespace {

struct Row {
    QRect geometry;  // relative to the window; null when the control is not shown
    bool visible = false;
    bool enabled = false;
    QString text, tip, spoken;
};
using Table = std::map<QString, Row>;  // key: view, language and control, tab-separated

QString escaped(QString s) {
    return s.replace('\\', "\\\\").replace('\n', "\\n").replace('\t', "\\t");
}

QString unescaped(const QString& s) {
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar c = s[++i];
        out += c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c;
    }
    return out;
}

// The controls the program names start with a capital (Qt's own parts with "qt_"); a caption
// without a name of its own is known by the nearest named control around it and its text.
bool ownName(const QString& name) { return !name.isEmpty() && name[0].isUpper(); }

QString shownText(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* m = qobject_cast<QMenu*>(w)) return m->title();
    // The line edits inside spin edits, date pickers and lists are Qt's own and unnamed.
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->displayText();
    return {};
}

class Layout : public vl48test::WindowTest {
protected:
    // Adds the rows of one view: every control of `top` (the window or the dialog).
    void record(Table& table, const QString& view, QWidget* top) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const QString language = window->MSLanguageCZ->isChecked() ? "cs" : "en";
        const QString prefix = view + '\t' + language + '\t';
        std::map<QString, std::vector<std::pair<QRect, Row>>> captions;
        for (QWidget* w : top->findChildren<QWidget*>()) {
            // The tab bar's scroll buttons are Qt's own, named by Qt.
            if (w->window() != top || qobject_cast<QTabBar*>(w->parentWidget())) continue;
            Row row;
            row.visible = w->isVisible();
            row.enabled = w->isEnabled();
            if (row.visible) row.geometry = QRect(w->mapTo(top, QPoint(0, 0)), w->size());
            row.text = shownText(w);
            row.tip = w->toolTip();
            row.spoken = w->accessibleName();
            const QString name = w->objectName();
            if (ownName(name)) {
                table[prefix + name] = row;
            } else if (qobject_cast<QLabel*>(w) && row.visible && !name.startsWith("qt_")) {
                QWidget* named = w->parentWidget();
                while (named && !ownName(named->objectName())) named = named->parentWidget();
                captions[named->objectName() + '/' + row.text].push_back({row.geometry, row});
            }
        }
        // Captions with the same text in the same place are told apart by their order on screen.
        for (auto& [key, rows] : captions) {
            std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
                return std::pair(a.first.y(), a.first.x()) < std::pair(b.first.y(), b.first.x());
            });
            for (size_t i = 0; i < rows.size(); ++i)
                table[prefix + key + '#' + QString::number(i + 1)] = rows[i].second;
        }
        if (top != window.get()) return;
        for (QAction* a : window->findChildren<QAction*>())
            if (ownName(a->objectName()))
                table[prefix + "action:" + a->objectName()] = {
                    {}, a->isVisible(), a->isEnabled(), a->text(), {}, {}};
        for (QMenu* m : window->findChildren<QMenu*>())
            if (ownName(m->objectName()))
                table[prefix + "menu:" + m->objectName()] = {{},         true, m->isEnabled(),
                                                             m->title(), {},   {}};
        for (int i = 0; i < window->PageControl1->count(); ++i)
            table[prefix + "tab:" + QString::number(i)] = {{},
                                                           window->PageControl1->isTabVisible(i),
                                                           window->PageControl1->isTabEnabled(i),
                                                           window->PageControl1->tabText(i),
                                                           {},
                                                           {}};
        table[prefix + "title"] = {{}, true, true, window->windowTitle(), {}, {}};
    }

    // The views as Screenshots.cpp reaches them, in both languages.
    Table current() {
        Table table;
        for (int language : {0, 1}) {
            language == 0 ? window->MSLanguageCZClick() : window->MSLanguageENClick();
            window->PanelSettings->hide();
            window->PanelConnect->show();
            record(table, "connect", window.get());
            window->PanelConnect->hide();
            window->PanelSettings->show();
            window->setTabShown(window->TabService, true);
            window->setTabShown(window->TabDACorr, true);
            const char* tabs[] = {"basic", "bulk", "service-code", "dacorr-code"};
            for (int i = 0; i < 4; ++i) {
                window->PageControl1->setCurrentIndex(i);
                record(table, tabs[i], window.get());
            }
            window->PanelPwd->hide();
            window->PanelService->show();
            window->PageControl1->setCurrentWidget(window->TabService);
            record(table, "service", window.get());
            window->PanelPwd1->hide();
            window->PanelDACorr->show();
            window->GrpBxDACorr->show();
            window->PageControl1->setCurrentWidget(window->TabDACorr);
            record(table, "dacorr", window.get());
            window->PanelService->hide();
            window->PanelPwd->show();
            window->PanelDACorr->hide();
            window->GrpBxDACorr->hide();
            window->PanelPwd1->show();
            window->PageControl1->setCurrentIndex(0);
            // The reconnection dialog, without the handler that starts reconnecting.
            TOKBottomDlg* dialog = window->OKBottomDlg;
            const auto activate = std::exchange(dialog->FormActivate, nullptr);
            dialog->show();
            record(table, "reconnect", dialog);
            dialog->hide();
            dialog->FormActivate = activate;
        }
        return table;
    }
};

QString line(const QString& key, const Row& r) {
    const QRect& g = r.geometry;
    const QString geometry =
        r.visible
            ? QStringLiteral("%1\t%2\t%3\t%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())
            : QStringLiteral("-\t-\t-\t-");
    return QStringList{key,
                       geometry,
                       QString::number(r.visible),
                       QString::number(r.enabled),
                       escaped(r.text),
                       escaped(r.tip),
                       escaped(r.spoken)}
        .join('\t');
}

Table readTable(const QString& path) {
    Table table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return table;
    QTextStream in(&file);
    in.readLine();  // the column names
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split('\t');
        if (f.size() != 12) continue;
        Row r;
        r.visible = f[7] == "1";
        r.enabled = f[8] == "1";
        if (r.visible) r.geometry = QRect(f[3].toInt(), f[4].toInt(), f[5].toInt(), f[6].toInt());
        r.text = unescaped(f[9]);
        r.tip = unescaped(f[10]);
        r.spoken = unescaped(f[11]);
        table[f.mid(0, 3).join('\t')] = r;
    }
    return table;
}

bool near(const QRect& a, const QRect& b) {
    return std::abs(a.x() - b.x()) <= 2 && std::abs(a.y() - b.y()) <= 2 &&
           std::abs(a.width() - b.width()) <= 2 && std::abs(a.height() - b.height()) <= 2;
}

}  // namespace

TEST_F(Layout, EveryViewMatchesTheRecordedTable) {
    const QString path = QStringLiteral(VL48_LAYOUT_TABLE);
    const Table actual = current();
    if (qEnvironmentVariable("VL48_RECORD_LAYOUT") == "1") {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        QTextStream out(&file);
        out << "view\tlanguage\tcontrol\tx\ty\twidth\theight\tvisible\tenabled\ttext\ttooltip"
               "\tspoken\n";
        for (const auto& [key, row] : actual) out << line(key, row) << '\n';
        std::printf("recorded %zu rows into %s\n", actual.size(), qPrintable(path));
        return;
    }
    const Table expected = readTable(path);
    ASSERT_GT(expected.size(), 1000u) << "no table at " << path.toStdString();
    QStringList differences;
    for (const auto& [key, want] : expected) {
        const auto found = actual.find(key);
        if (found == actual.end()) {
            differences << "missing: " + key;
            continue;
        }
        const Row& got = found->second;
        if (got.visible != want.visible || got.enabled != want.enabled || got.text != want.text ||
            got.tip != want.tip || got.spoken != want.spoken ||
            (want.visible && !near(got.geometry, want.geometry)))
            differences << "want " + line(key, want) + "\n got " + line(key, got);
    }
    for (const auto& [key, row] : actual)
        if (!expected.count(key)) differences << "not in the table: " + line(key, row);
    EXPECT_TRUE(differences.isEmpty()) << differences.size() << " differences\n"
                                       << differences.mid(0, 40).join('\n').toStdString();
}
