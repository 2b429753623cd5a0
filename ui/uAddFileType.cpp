#include "ui/uAddFileType.h"

#include "help/binding/HTMLHelpViewer.h"
#include "outlook/ExtensionList.h"
#include "outlook/ExtensionsFile.h"
#include "platform/StringCompare.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Accessibility.h"
#include "ui/Application.h"
#include "ui/ElidedToolTips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kExtensionRole = Qt::UserRole;

/// A row of the predefined list: keeps its Extension's bytes as read, and sorts by them the way
/// the platform's locale compares (case-sensitive).
class TFileTypeItem : public QTreeWidgetItem {
public:
    explicit TFileTypeItem(const TPredefinedFileType& row) : FExtension(row.Extension) {
        setText(0, ToQString(row.Extension));
        setText(1, ToQString(row.Description));
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        setCheckState(0, Qt::Unchecked);
    }
    const std::string& Extension() const { return FExtension; }
    bool operator<(const QTreeWidgetItem& other) const override {
        return platform::CompareStringLocale(FExtension, static_cast<const TFileTypeItem&>(other).FExtension) < 0;
    }

private:
    std::string FExtension;
};

/// The arrow keys step between the two mode buttons and select the one they reach. Qt selects it before
/// moving the focus onto it, which would take the focus back from the control the new mode gives it: here
/// the focus moves first, so that after Down the user types into the edit box as after a click.
class TModeButtonArrows : public QObject {
public:
    TModeButtonArrows(QRadioButton* upper, QRadioButton* lower) : QObject(upper), FUpper(upper), FLower(lower) {
        upper->installEventFilter(this);
        lower->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        QRadioButton* target = nullptr;
        if (watched == FUpper && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right)) {
            target = FLower;
        } else if (watched == FLower && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left)) {
            target = FUpper;
        }
        if (target == nullptr || !target->isEnabled()) {
            return false;
        }
        target->setFocus(target == FLower ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        target->click();
        return true;
    }

private:
    QRadioButton* FUpper;
    QRadioButton* FLower;
};

} // namespace

TAddFileTypeForm::TAddFileTypeForm(TSkinData& skinData, QWidget* parent)
    : QDialog(parent), FClientArea(new QWidget(this)) {
    setObjectName(QStringLiteral("AddFileTypeForm"));
    setWindowTitle(QStringLiteral("Add file types"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FClientArea);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FClientArea->setObjectName(QStringLiteral("ClientArea"));
    FClientArea->setFixedSize(459, 282);

    rbList = new QRadioButton(QStringLiteral("Select from the list of predefined file types:"), FClientArea);
    rbList->setObjectName(QStringLiteral("rbList"));
    rbList->setGeometry(16, 8, 249, 25);

    lvExtensions = new QTreeWidget(FClientArea);
    lvExtensions->setObjectName(QStringLiteral("lvExtensions"));
    lvExtensions->setGeometry(38, 39, 387, 130);
    lvExtensions->setColumnCount(2);
    lvExtensions->setHeaderLabels({QStringLiteral("Extension"), QStringLiteral("Description")});
    lvExtensions->setColumnWidth(0, 70);
    lvExtensions->setColumnWidth(1, 330);
    lvExtensions->setRootIsDecorated(false);
    lvExtensions->setItemsExpandable(false);
    lvExtensions->setUniformRowHeights(true);
    lvExtensions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvExtensions->setSelectionMode(QAbstractItemView::SingleSelection);
    lvExtensions->header()->setSectionsClickable(false);
    lvExtensions->header()->setStretchLastSection(false);
    lvExtensions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The columns overrun the list by a few pixels that no row needs: no horizontal bar for them.
    lvExtensions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvExtensions->setToolTip(QStringLiteral("This is a list of typical file types blocked by Outlook, not all file "
                                            "types blocked by all versions of Outlook"));
    ShowElidedTextAsToolTip(lvExtensions);

    // The list's scroll bar stands beside it and shows only while the rows overflow.
    sbExtList = new QScrollBar(Qt::Vertical, FClientArea);
    sbExtList->setObjectName(QStringLiteral("sbExtList"));
    sbExtList->setGeometry(424, 39, 19, 130);
    sbExtList->hide();
    QScrollBar* inner = lvExtensions->verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, sbExtList, [this](int min, int max) {
        sbExtList->setRange(min, max);
        sbExtList->setPageStep(lvExtensions->verticalScrollBar()->pageStep());
        sbExtList->setVisible(max > min);
    });
    connect(inner, &QScrollBar::valueChanged, sbExtList, &QScrollBar::setValue);
    connect(sbExtList, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);

    rbManual =
        new QRadioButton(QStringLiteral("Input file extension(s) into the edit box (example: .exe;.js):"), FClientArea);
    rbManual->setObjectName(QStringLiteral("rbManual"));
    rbManual->setGeometry(16, 175, 313, 25);

    edtInputExtensions = new QLineEdit(FClientArea);
    edtInputExtensions->setObjectName(QStringLiteral("edtInputExtensions"));
    edtInputExtensions->setGeometry(38, 206, 405, 18);
    edtInputExtensions->setToolTip(QStringLiteral("Use semicolon to separate multiple extensions"));
    // Neither control has a label of its own: each is named by the mode button above it.
    lvExtensions->setAccessibleName(rbList->text());
    ShowCurrentEntryOnFocus(lvExtensions);
    ExposeCheckableRows(lvExtensions);
    edtInputExtensions->setAccessibleName(rbManual->text());

    auto* divider = new QFrame(FClientArea);
    divider->setObjectName(QStringLiteral("Bevel1"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setGeometry(16, 237, 427, 2);

    btnOK = new QPushButton(QStringLiteral("OK"), FClientArea);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(176, 248, 75, 25);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), FClientArea);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(272, 248, 75, 25);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    btnHelp = new QPushButton(QStringLiteral("Help"), FClientArea);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setGeometry(368, 248, 75, 25);
    // Enter presses the button that has the focus, and OK wherever else the focus is.
    for (QPushButton* button : {btnOK, btnCancel, btnHelp}) {
        button->setAutoDefault(true);
    }
    connect(btnHelp, &QPushButton::clicked, this, [] { Application::Dispatch([] { ShowHelpContents(); }); });

    new TModeButtonArrows(rbList, rbManual);
    for (QRadioButton* radio : {rbList, rbManual}) {
        connect(radio, &QRadioButton::clicked, this, [this] { Application::Dispatch([this] { rbManualClick(); }); });
    }
    setTabOrder(rbList, lvExtensions);
    setTabOrder(lvExtensions, rbManual);
    setTabOrder(rbManual, edtInputExtensions);
    setTabOrder(edtInputExtensions, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, btnHelp);

    SetSkinDataName(rbList, QStringLiteral("radiobox"));
    SetSkinDataName(rbManual, QStringLiteral("radiobox"));
    SetSkinDataName(lvExtensions, QStringLiteral("listview"));
    SetSkinDataName(sbExtList, QStringLiteral("vscrollbar"));
    SetSkinDataName(edtInputExtensions, QStringLiteral("edit"));
    SetSkinDataName(divider, QStringLiteral("bevel"));
    for (QPushButton* button : {btnOK, btnCancel, btnHelp}) {
        SetSkinDataName(button, QStringLiteral("button"));
    }
    new TSkinForm(this, &skinData, TSkinFormKind::Dialog);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }

    Application::Dispatch([this] { FormCreate(); });
}

void TAddFileTypeForm::FormCreate() {
    AdjustClientSize(this);
    lvExtensions->clear();
    // One batch: no redraw and no sort per row, one sort at the end, also when reading failed.
    lvExtensions->setUpdatesEnabled(false);
    lvExtensions->setSortingEnabled(false);
    struct TEndBatch {
        QTreeWidget* List;
        ~TEndBatch() {
            List->sortItems(0, Qt::AscendingOrder);
            List->setUpdatesEnabled(true);
        }
    } endBatch{lvExtensions};
    QList<QTreeWidgetItem*> items;
    for (const auto& row : ReadPredefinedFileTypes(PredefinedFileTypesPath())) {
        items.append(new TFileTypeItem(row));
    }
    lvExtensions->addTopLevelItems(items);
}

void TAddFileTypeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A restore from minimised is not a showing: it must not reset the mode the user chose.
    if (!event->spontaneous()) {
        Application::Dispatch([this] { FormShow(); });
    }
}

void TAddFileTypeForm::FormShow() {
    rbList->setChecked(true);
    rbManualClick();
    lvExtensions->setFocus();
}

void TAddFileTypeForm::rbManualClick() {
    const bool manual = rbManual->isChecked();
    edtInputExtensions->setEnabled(manual);
    lvExtensions->setEnabled(!manual);
    sbExtList->setEnabled(!manual);
    if (manual) {
        edtInputExtensions->setFocus();
    } else {
        lvExtensions->setFocus();
    }
}

void TAddFileTypeForm::ResetInput() {
    edtInputExtensions->clear();
    lvExtensions->clearSelection();
    lvExtensions->setCurrentItem(nullptr);
    for (int i = 0; i < lvExtensions->topLevelItemCount(); ++i) {
        lvExtensions->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    }
}

std::vector<std::string> TAddFileTypeForm::ChosenExtensions() const {
    if (rbManual->isChecked()) {
        return SplitExtensionList(FromQString(edtInputExtensions->text()));
    }
    std::vector<std::string> chosen;
    for (int i = 0; i < lvExtensions->topLevelItemCount(); ++i) {
        const auto* item = static_cast<const TFileTypeItem*>(lvExtensions->topLevelItem(i));
        if (item->checkState(0) == Qt::Checked) {
            chosen.push_back(item->Extension());
        }
    }
    return chosen;
}
