// Both languages: a full snapshot of every switchable text, the texts a careful person might
// "correct", and every text fitting its control in either language.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <map>

#include "WindowFixture.h"
#include "ui/Language.h"

using namespace vl48;

namespace {

class Language : public vl48test::WindowTest {
protected:
    // Every text a person can see or hear in the window, by where it is shown.
    std::map<QString, QString> snapshot() const {
        std::map<QString, QString> texts;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            if (name.isEmpty()) continue;
            if (auto* l = qobject_cast<QLabel*>(w)) texts[name + ".text"] = l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) texts[name + ".text"] = b->text();
            if (auto* g = qobject_cast<QGroupBox*>(w)) texts[name + ".title"] = g->title();
            if (!w->toolTip().isEmpty()) texts[name + ".tip"] = w->toolTip();
            if (!w->accessibleName().isEmpty()) texts[name + ".spoken"] = w->accessibleName();
        }
        for (QAction* a : window->findChildren<QAction*>())
            if (!a->objectName().isEmpty()) texts[a->objectName() + ".action"] = a->text();
        for (QMenu* m : window->findChildren<QMenu*>())
            if (!m->objectName().isEmpty()) texts[m->objectName() + ".menu"] = m->title();
        for (int i = 0; i < window->PageControl1->count(); ++i)
            texts[QStringLiteral("tab%1").arg(i)] = window->PageControl1->tabText(i);
        texts["title"] = window->windowTitle();
        const QString* messages[] = {&window->MsgConnectionLost, &window->MsgInvalidPort,
                                     &window->MsgCable,          &window->MsgWrongDevice,
                                     &window->MsgInvalidDate,    &window->Msg2mADropRefused,
                                     &window->MsgSelectPort,     &window->MsgDACorrWarning};
        for (int i = 0; i < 8; ++i) texts[QStringLiteral("message%1").arg(i)] = *messages[i];
        return texts;
    }

    QString textOf(const char* name) const {
        QObject* o = window->findChild<QObject*>(name);
        if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
        if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
        if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
        if (auto* a = qobject_cast<QAction*>(o)) return a->text();
        return "(no such control)";
    }

    // Shows everything that can be shown, so that every control gets its real geometry.
    void showEverything() {
        window->PanelConnect->show();
        window->PanelSettings->show();
        window->setTabShown(window->TabService, true);
        window->setTabShown(window->TabDACorr, true);
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QString n = w->objectName();
            if (n.endsWith("CH") || n.startsWith("LblSaveX") || n == "RdBtnNi891" ||
                n == "PrgBarLoadEE" || n == "GrpBxDACorr")
                w->show();
        }
    }

    // Texts of one control that do not fit, described for the failure message.
    QStringList clipped() {
        QStringList problems;
        const QRect windowRect = window->rect();
        for (int tab = -1; tab < window->PageControl1->count(); ++tab) {
            if (tab == -1) {
                window->PanelSettings->hide();
                window->PanelConnect->show();
            } else {
                window->PanelConnect->hide();
                window->PanelSettings->show();
                window->PageControl1->setCurrentIndex(tab);
            }
            // The service tabs: the access-code panels first, then their contents.
            for (int round = 0; round < 2; ++round) {
                window->PanelPwd->setVisible(round == 0);
                window->PanelService->setVisible(round == 1);
                window->PanelPwd1->setVisible(round == 0);
                window->PanelDACorr->setVisible(round == 1);
                QCoreApplication::processEvents();
                for (QWidget* w : window->findChildren<QWidget*>()) {
                    if (w->objectName().isEmpty() || !w->isVisible()) continue;
                    const QString name = w->objectName();
                    const QRect inWindow(w->mapTo(window.get(), QPoint(0, 0)), w->size());
                    if (!windowRect.contains(inWindow))
                        problems << name + " lies outside the window";
                    if (auto* l = qobject_cast<QLabel*>(w);
                        l && !l->wordWrap() && !l->text().isEmpty()) {
                        int width = 0;
                        for (const QString& line : l->text().split('\n'))
                            width = std::max(width, l->fontMetrics().horizontalAdvance(line));
                        if (width > l->contentsRect().width())
                            problems << name + ": \"" + l->text() + "\"";
                    } else if (auto* b = qobject_cast<QAbstractButton*>(w);
                               b && !b->text().isEmpty()) {
                        if (b->sizeHint().width() > b->width() ||
                            b->sizeHint().height() > b->height())
                            problems << name + ": \"" + b->text() + "\"";
                    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                        if (g->minimumSizeHint().width() > g->width())
                            problems << name + ": \"" + g->title() + "\"";
                    }
                }
            }
        }
        return problems;
    }
};

}  // namespace

TEST_F(Language, EnglishThenCzechRestoresEveryText) {
    const auto start = snapshot();
    window->MSLanguageENClick();
    const auto english = snapshot();
    EXPECT_NE(english, start);
    window->MSLanguageCZClick();
    EXPECT_EQ(snapshot(), start);
    EXPECT_TRUE(window->MSLanguageCZ->isChecked());
    EXPECT_FALSE(window->MSLanguageEN->isChecked());
    // Picking the current language again changes nothing.
    window->MSLanguageCZClick();
    EXPECT_EQ(snapshot(), start);
    window->MSLanguageENClick();
    window->MSLanguageENClick();
    EXPECT_EQ(snapshot(), english);
    EXPECT_TRUE(window->MSLanguageEN->isChecked());
}

TEST_F(Language, EveryTableTextIsShownInItsLanguage) {
    for (int index : {1, 0}) {
        index == 1 ? window->MSLanguageENClick() : window->MSLanguageCZClick();
        for (const LangText& t : languageTable()) {
            QObject* target = window->findChild<QObject*>(t.name);
            ASSERT_NE(target, nullptr) << t.name;
            const QString expected = QString::fromUtf8(index == 1 ? t.english : t.czech);
            QString shown;
            switch (t.kind) {
                case LangText::ToolTip:
                    shown = qobject_cast<QWidget*>(target)->toolTip();
                    break;
                case LangText::Accessible:
                    shown = qobject_cast<QWidget*>(target)->accessibleName();
                    break;
                case LangText::Tab:
                    shown = window->PageControl1->tabText(
                        window->PageControl1->indexOf(qobject_cast<QWidget*>(target)));
                    break;
                default:
                    shown = textOf(t.name);
            }
            EXPECT_EQ(shown, expected) << t.name;
        }
    }
    // 80 captions and tooltips, 7 menu captions and 12 spoken names; the title and messages
    // come apart.
    EXPECT_EQ(languageTable().size(), 99u);
}

TEST_F(Language, TextsAreByteForByte) {
    window->MSLanguageENClick();
    EXPECT_EQ(window->MsgCable, "Communication cable was disconected or power-cut appeared.");
    EXPECT_EQ(textOf("GrpBxWire"), " RTD sensor wirring ");
    EXPECT_EQ(textOf("RdBtnFilt1"), "Filter   (~1.5s)");
    EXPECT_EQ(textOf("LblSType"), "Device type :");
    EXPECT_EQ(textOf("GrpBxTemp"), " Output range temp in °C / Ohm");
    EXPECT_EQ(textOf("Label19"), "Cold junction compenasation:");
    EXPECT_EQ(window->MsgConnectionLost,
              "Connection with VL48 converter was terminated or no converter is connected.");
    EXPECT_EQ(window->windowTitle(), "Communication software for VL48 - KOLTAR®");
    EXPECT_EQ(textOf("MenuCommEnd"), "Disconnect VL48");
    EXPECT_EQ(textOf("SpdBtnEraseForm"), "Erase");
    window->MSLanguageCZClick();
    EXPECT_EQ(window->MsgWrongDevice, "Na lince n=ení připojen převodník VL48.");
    EXPECT_EQ(textOf("LblMeasTemp"), "Meřená tep/ohm:");
    EXPECT_EQ(textOf("SpdBtnEraseForm"), "Vymazat\nobrazovku");
    EXPECT_EQ(textOf("SpdBtnLoadData"), "Nahrát\ndata");
    EXPECT_EQ(textOf("ChckBxAutoCon"),
              "Při odpojení převodníku, čekat na připojení (použíjte při sériovém programování)");
    EXPECT_EQ(textOf("GrpBxAO"), " Analogový VÝSTUP izolovaný - DA (14bits)  ");
    EXPECT_EQ(window->PageControl1->tabText(3), "Korekce DA");
    EXPECT_EQ(textOf("MSettingsLanguage"), "Jazyk / Language");
    EXPECT_EQ(window->BtnMeasTemp->toolTip(), "Provede měření teploty/ohm a teploty svorek.");
}

TEST_F(Language, SwitchLeavesStatesAndTheStatusBarAlone) {
    window->BtnEdtConfTag = 1;
    window->BtnEdtConf->setText("Ukončit editaci načtené konf.");
    window->ChckBxAutoCon->setChecked(true);
    const QString prompt = window->panel(0);
    window->MSLanguageENClick();
    EXPECT_EQ(window->panel(0), prompt) << "the start-up prompt stays Czech";
    EXPECT_EQ(window->BtnEdtConf->text(), "Edit loaded configuration");
    EXPECT_EQ(window->BtnEdtConfTag, 1) << "the edit mode stays on";
    EXPECT_TRUE(window->ChckBxAutoCon->isChecked());
    EXPECT_TRUE(window->PanelConnect->isVisible());
    window->SetLang(2);  // no such language: nothing changes
    EXPECT_EQ(window->BtnEdtConf->text(), "Edit loaded configuration");
    // The prompt follows the language the next time the connection ends.
    window->ShowConnect();
    EXPECT_EQ(window->panel(0), "Select COM port, which is VL48 converter connected to.");
}

TEST_F(Language, EveryTextFitsItsControlInBothLanguages) {
    showEverything();
    const QStringList czech = clipped();
    EXPECT_TRUE(czech.isEmpty()) << czech.join("\n").toStdString();
    window->MSLanguageENClick();
    showEverything();
    const QStringList english = clipped();
    EXPECT_TRUE(english.isEmpty()) << english.join("\n").toStdString();
}

TEST_F(Language, EveryControlHasAnAccessibleName) {
    for (int index : {0, 1}) {
        index == 1 ? window->MSLanguageENClick() : window->MSLanguageCZClick();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("StatusPanel") ||
                w->objectName().startsWith("qt_"))
                continue;
            const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                               qobject_cast<QAbstractSpinBox*>(w);
            const bool control = field || qobject_cast<QAbstractButton*>(w);
            if (!control) continue;
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
                continue;  // the edit inside a spin edit or date picker
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
                continue;  // the edit inside an editable list
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(iface, nullptr) << w->objectName().toStdString();
            EXPECT_FALSE(iface->text(QAccessible::Name).trimmed().isEmpty())
                << w->objectName().toStdString() << " has no accessible name";
        }
    }
    // An entry field is named by the label beside it, in the current language.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->EdtNoteConf)->text(QAccessible::Name),
              "Text notice:");
    window->MSLanguageCZClick();
    QAccessibleInterface* note = QAccessible::queryAccessibleInterface(window->EdtNoteConf);
    EXPECT_EQ(note->text(QAccessible::Name), "Textová poznámka:");
}
