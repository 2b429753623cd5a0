// Every window in every theme: the texts of the fixed, designed layouts fit their controls, and the
// windows draw on the theme's colours.
#include "MainFormFixture.h"
#include "SystemFacts.h"

#include "skin/SkinData.h"
#include "skin/SkinTheme.h"
#include "themes/ThemePackages.h"
#include "ui/Actions.h"
#include "ui/linklabel/LinkLabel.h"
#include "ui/uAboutForm.h"
#include "ui/uAddFileType.h"
#include "ui/uDMSkins.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>
#include <QTreeWidget>

namespace {

/// The width a control's text takes in the control's own font.
int TextWidth(const QWidget* control, QString text) {
    return control->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&')));
}

/// Where a push button draws its caption (within its borders and padding).
QRect ButtonTextArea(QPushButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

void ExpectButtonsFit(const QList<QPushButton*>& buttons) {
    for (QPushButton* button : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_LE(TextWidth(button, button->text()), ButtonTextArea(button).width());
        EXPECT_LE(button->fontMetrics().height(), ButtonTextArea(button).height());
    }
}

void ExpectRadioFits(QRadioButton* radio) {
    SCOPED_TRACE(radio->objectName().toStdString());
    QStyleOptionButton option;
    option.initFrom(radio);
    option.text = radio->text();
    const QRect text = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    EXPECT_GT(text.left(), 10) << "the indicator comes first";
    EXPECT_LE(text.left() + TextWidth(radio, radio->text()), radio->width());
}

/// How many pixels of `image` have exactly the colour `color`.
int PixelsOf(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y).rgb() == color.rgb() ? 1 : 0;
        }
    }
    return count;
}

class ThemedWindowsTest : public MainFormTest {};

TEST_F(ThemedWindowsTest, theDesignedLayoutsHoldTheirTextsAndDrawOnTheThemesColoursInEveryTheme) {
    // Every known version installed: the selector holds every name it can show.
    std::string keys;
    for (const char* version : {"9.0", "10.0", "11.0", "12.0", "13.0", "14.0", "15.0", "16.0"}) {
        keys += VersionKeys(version, {});
    }
    WriteHive(keys);
    TMainForm& form = Open();
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    ASSERT_EQ(cbOutlookVersion->count(), 8);

    for (const themes::TThemePackage& theme : themes::Packages()) {
        SCOPED_TRACE(theme.Identifier);
        form.ApplyTheme(QLatin1String(theme.Identifier));
        Idle();
        const QPalette& palette = Part<TSkinData>(form, "skSkinData")->Theme()->Palette();

        // Main window: the label ends before the version selector, every version name fits the
        // selector, the tab labels fit their pages, the captions fit the buttons.
        auto* version = form.findChild<QLabel*>(QStringLiteral("lblOutlookVersion"));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->pos(), QPoint(6, 10));
        EXPECT_LT(version->x() + TextWidth(version, version->text()), cbOutlookVersion->x());
        QStyleOptionComboBox combo;
        combo.initFrom(cbOutlookVersion);
        combo.editable = false;
        combo.frame = true;
        combo.subControls = QStyle::SC_All;
        const QRect field = cbOutlookVersion->style()->subControlRect(QStyle::CC_ComboBox, &combo,
                                                                      QStyle::SC_ComboBoxEditField, cbOutlookVersion);
        EXPECT_EQ(cbOutlookVersion->width(), 98);
        for (int i = 0; i < cbOutlookVersion->count(); ++i) {
            SCOPED_TRACE(cbOutlookVersion->itemText(i).toStdString());
            EXPECT_LE(TextWidth(cbOutlookVersion, cbOutlookVersion->itemText(i)), field.width());
        }
        EXPECT_LE(cbOutlookVersion->fontMetrics().height(), field.height());
        // Both pages have the size of the one shown.
        const int pageWidth = Part<QTabWidget>(form, "PageControl")->currentWidget()->width();
        EXPECT_GT(pageWidth, 400);
        for (const char* name : {"lblAllowed", "lblBlocked"}) {
            auto* label = form.findChild<QLabel*>(QLatin1String(name));
            ASSERT_NE(label, nullptr) << name;
            EXPECT_LE(label->x() + TextWidth(label, label->text()), pageWidth) << name;
        }
        ExpectButtonsFit(form.findChildren<QPushButton*>());

        // Add file types: the radio buttons' captions, the column headers, the edit box, the buttons;
        // the dialog drawn on the theme's window colour.
        {
            TModalScript script;
            script.Then([&palette](QWidget* modal) {
                auto* add = qobject_cast<TAddFileTypeForm*>(modal);
                ASSERT_NE(add, nullptr);
                ExpectRadioFits(Part<QRadioButton>(*add, "rbList"));
                ExpectRadioFits(Part<QRadioButton>(*add, "rbManual"));
                EXPECT_EQ(Part<QRadioButton>(*add, "rbList")->width(), 249);
                EXPECT_EQ(Part<QRadioButton>(*add, "rbManual")->width(), 313);
                QHeaderView* header = Part<QTreeWidget>(*add, "lvExtensions")->header();
                for (int section : {0, 1}) {
                    QStyleOptionHeader option;
                    option.initFrom(header);
                    option.section = section;
                    option.text = Part<QTreeWidget>(*add, "lvExtensions")->headerItem()->text(section);
                    option.rect = QRect(0, 0, header->sectionSize(section), header->height());
                    const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
                    EXPECT_LE(TextWidth(header, option.text), label.width()) << option.text.toStdString();
                }
                EXPECT_EQ(header->sectionSize(0), 70);
                QStyleOptionFrame frame;
                frame.initFrom(Part<QLineEdit>(*add, "edtInputExtensions"));
                const QRect text = Part<QLineEdit>(*add, "edtInputExtensions")
                                       ->style()
                                       ->subElementRect(QStyle::SE_LineEditContents, &frame,
                                                        Part<QLineEdit>(*add, "edtInputExtensions"));
                EXPECT_LE(Part<QLineEdit>(*add, "edtInputExtensions")->fontMetrics().height(), text.height());
                ExpectButtonsFit({Part<QPushButton>(*add, "btnOK"), Part<QPushButton>(*add, "btnCancel"),
                                  Part<QPushButton>(*add, "btnHelp")});
                // Left of the radio buttons: nothing but the dialog's own background.
                const QPoint spot = add->ClientArea()->mapTo(add, QPoint(4, 120));
                EXPECT_EQ(add->grab().toImage().pixelColor(spot).rgb(), palette.color(QPalette::Window).rgb());
                Part<QPushButton>(*add, "btnCancel")->click();
            });
            form.ExecuteAddFileTypeForm();
            EXPECT_EQ(script.Seen().size(), 1u);
        }

        // About: the link and the product name fit, the link takes the theme's link colour.
        {
            TModalScript script;
            script.Then([&palette](QWidget* modal) {
                auto* about = qobject_cast<TAboutForm*>(modal);
                ASSERT_NE(about, nullptr);
                linklabel::TLinkLabel* link = Part<linklabel::TLinkLabel>(*about, "LinkLabel2");
                link->grab(); // its first paint lays the link out and fits the label's height to it
                EXPECT_EQ(link->width(), 106);
                EXPECT_LE(TextWidth(link, QStringLiteral("korvane.example")), link->width());
                EXPECT_LE(link->fontMetrics().height(), link->height());
                EXPECT_LE(
                    TextWidth(Part<QLabel>(*about, "lblProductName"), Part<QLabel>(*about, "lblProductName")->text()),
                    Part<QLabel>(*about, "lblProductName")->width());
                // Under Wine the bold Tahoma the label asks for falls back to a taller serif face (17 px
                // at 8 pt, where Windows' Tahoma has the designed label's 13): only there it may not fit.
                if (!testsupport::RunningUnderWine()) {
                    EXPECT_LE(Part<QLabel>(*about, "lblProductName")->fontMetrics().height(),
                              Part<QLabel>(*about, "lblProductName")->height());
                }
                ExpectButtonsFit({Part<QPushButton>(*about, "btnOK")});
                EXPECT_GT(PixelsOf(link->grab().toImage(), palette.color(QPalette::Link)), 20)
                    << "the link is drawn in " << palette.color(QPalette::Link).name().toStdString();
                Part<QPushButton>(*about, "btnOK")->click();
            });
            Part<TAction>(form, "actHelpAbout")->trigger();
            EXPECT_EQ(script.Seen().size(), 1u);
        }
    }
}

// Tab goes through the main window in its designed order, on either tab, and the focus shows on
// every control it reaches, in every theme.
TEST_F(ThemedWindowsTest, theKeyboardFocusFollowsTheDesignedOrderAndShowsOnEveryControl) {
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".zip;.exe\""}, {"Level1Add", "\".js\""}}));
    TMainForm& form = Open();
    auto* PageControl = Part<QTabWidget>(form, "PageControl");
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Select(Part<QListWidget>(form, "lbAllowed"), ".exe");
    Select(Part<QListWidget>(form, "lbBlocked"), ".js");
    // Save and Cancel are disabled while nothing is modified: Tab passes them by.
    const QStringList pages[] = {
        {"qt_tabwidget_tabbar", "lbAllowed", "btnAllowAdd", "btnAllowRemove", "btnExit", "cbOutlookVersion"},
        {"qt_tabwidget_tabbar", "lbBlocked", "btnBlockAdd", "btnBlockRemove", "btnExit", "cbOutlookVersion"},
    };
    EXPECT_EQ(QApplication::focusWidget(), PageControl->focusProxy()) << "the tab control comes first";
    for (const themes::TThemePackage& theme : themes::Packages()) {
        SCOPED_TRACE(theme.Identifier);
        form.ApplyTheme(QLatin1String(theme.Identifier));
        for (int page = 0; page < 2; ++page) {
            SCOPED_TRACE(page);
            PageControl->setCurrentIndex(page);
            PageControl->focusProxy()->setFocus(Qt::TabFocusReason);
            Idle();
            QStringList visited;
            for (qsizetype i = 0; i < pages[page].size(); ++i) {
                QWidget* focused = QApplication::focusWidget();
                ASSERT_NE(focused, nullptr);
                visited << focused->objectName();
                const QImage withFocus = focused->grab().toImage();
                QTest::keyClick(focused, Qt::Key_Tab);
                const QImage without = focused->grab().toImage();
                EXPECT_NE(withFocus, without) << focused->objectName().toStdString() << " shows no focus";
            }
            EXPECT_EQ(visited, pages[page]);
            EXPECT_EQ(QApplication::focusWidget(), PageControl->focusProxy()) << "and round again";
        }
    }
}

} // namespace
