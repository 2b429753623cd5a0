#include "skin/SkinForm.h"

#include "skin/SkinData.h"
#include "skin/SkinPaint.h"
#include "skin/SkinTheme.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QWindow>

#include <vector>

namespace {

// The flags of a window whose frame we draw. Only the Windows platform needs the button hints on a
// frameless window (they give it the taskbar's minimise and the system menu); elsewhere Qt turns them
// into Motif decorations, and the window manager then draws its own title bar above ours. A window
// without them still minimises from the taskbar there. On Windows the customise hint goes instead: with
// it and a button hint, Qt drops the frameless hint of a window (not of a dialog) and Windows draws its
// caption and sizing border again. Without it the hints stand as given: Windows then gives the window the
// system menu and the minimise box, and no caption.
Qt::WindowFlags FramelessFlags(Qt::WindowFlags flags) {
    flags |= Qt::FramelessWindowHint;
    if (QGuiApplication::platformName() == QLatin1String("windows")) {
        flags &= ~Qt::CustomizeWindowHint;
    } else {
        flags &= ~(Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    }
    return flags;
}

const TSkinObject* FormObject(const TSkinData* skinData) {
    return skinData != nullptr && skinData->Theme() != nullptr ? skinData->Theme()->Object(QStringLiteral("form"))
                                                               : nullptr;
}

} // namespace

/// One caption button, drawn from a part of the theme's frame: normal, hot, pressed, inactive window.
class TSkinCaptionButton : public QAbstractButton {
public:
    TSkinCaptionButton(QWidget* parent, const QString& part, const QString& name, const QString& toolTip)
        : QAbstractButton(parent), FPart(part) {
        setObjectName(name);
        setToolTip(toolTip);
        // Named for assistive technology; the keyboard reaches the same commands through the system menu.
        setAccessibleName(toolTip);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

    void SetSkin(const TSkinData* skinData) {
        FSkinData = skinData;
        const TSkinObject* form = FormObject(skinData);
        const TSkinPart* part = form == nullptr ? nullptr : form->Part(FPart);
        if (part != nullptr) {
            setFixedSize(part->Rect.size());
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const TSkinObject* form = FormObject(FSkinData);
        const TSkinPart* part = form == nullptr ? nullptr : form->Part(FPart);
        if (part == nullptr) {
            return;
        }
        int state = 0;
        if (isDown()) {
            state = 2;
        } else if (underMouse() && FSkinData->EnableSkinEffects()) {
            state = 1;
        } else if (!window()->isActiveWindow()) {
            state = 3;
        }
        QPainter painter(this);
        painter.drawImage(rect(), part->State(state));
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::HoverEnter || e->type() == QEvent::HoverLeave) {
            update();
        }
        return QAbstractButton::event(e);
    }

private:
    QString FPart;
    const TSkinData* FSkinData = nullptr;
};

/// The caption strip: background, title, buttons; dragging it moves the window.
class TSkinCaption : public QWidget {
public:
    TSkinCaption(QWidget* form, TSkinFormKind kind, QMenu* systemMenu) : QWidget(form), FForm(form), FMenu(systemMenu) {
        setObjectName(QStringLiteral("SkinCaption"));
        // A window with a system menu has the close box, as on Windows; the menu itself opens from a
        // right click on the caption, from Alt+Space and from Alt+Shift+Space.
        if (kind == TSkinFormKind::MainWindow) {
            FButtons.push_back(new TSkinCaptionButton(this, QStringLiteral("Minimize"),
                                                      QStringLiteral("SkinMinimizeButton"), tr("Minimize")));
            connect(FButtons.back(), &QAbstractButton::clicked, FForm, &QWidget::showMinimized);
        }
        if (kind != TSkinFormKind::MessageBox) {
            // Asks the window to close: its own close question applies.
            FButtons.push_back(
                new TSkinCaptionButton(this, QStringLiteral("Close"), QStringLiteral("SkinCloseButton"), tr("Close")));
            connect(FButtons.back(), &QAbstractButton::clicked, FForm, &QWidget::close);
        }
    }

    void SetSkin(const TSkinData* skinData) {
        FSkinData = skinData;
        for (TSkinCaptionButton* button : FButtons) {
            button->SetSkin(skinData);
        }
        LayOut();
        update();
    }

    void LayOut() {
        const TSkinObject* form = FormObject(FSkinData);
        if (form == nullptr) {
            return;
        }
        int x = width() - form->Int(QStringLiteral("ButtonsRight"), 4);
        const int top = form->Int(QStringLiteral("ButtonsTop"), 4);
        const int spacing = form->Int(QStringLiteral("ButtonSpacing"), 2);
        for (auto it = FButtons.rbegin(); it != FButtons.rend(); ++it) {
            x -= (*it)->width();
            (*it)->move(x, top);
            x -= spacing;
        }
    }

    int TitleRight() const { return FButtons.empty() ? width() - 6 : FButtons.front()->x() - 4; }
    QWidget* Form() const { return FForm; }
    QMenu* SystemMenu() const { return FMenu; }

protected:
    void paintEvent(QPaintEvent*) override {
        const TSkinObject* form = FormObject(FSkinData);
        if (form == nullptr) {
            return;
        }
        const bool active = FForm->isActiveWindow();
        QPainter painter(this);
        const TSkinPart* caption = form->Part(QStringLiteral("Caption"));
        DrawNineSlice(painter, rect(), caption->State(active ? 0 : 1), caption->Margins);

        QFont font = form->Font(QStringLiteral("TitleFont")).value_or(FSkinData->Theme()->DefaultFont());
        painter.setFont(font);
        const int left = form->Int(QStringLiteral("TitleLeft"), 8);
        const int top = form->Int(QStringLiteral("TitleTop"), 3);
        QRect area(left, top, TitleRight() - left, height() - top);
        Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft;
        if (form->Value(QStringLiteral("TitleAlign")).compare(QLatin1String("center"), Qt::CaseInsensitive) == 0) {
            align = Qt::AlignVCenter | Qt::AlignHCenter;
            const int half = std::min(width() / 2 - left, TitleRight() - width() / 2);
            area = QRect(width() / 2 - half, top, 2 * half, height() - top);
        }
        const QString title = painter.fontMetrics().elidedText(FForm->windowTitle(), Qt::ElideRight, area.width());
        const QColor shadow = form->Color(QStringLiteral("TitleShadowColor"));
        if (shadow.isValid()) {
            painter.setPen(shadow);
            painter.drawText(area.translated(0, 1), align, title);
        }
        painter.setPen(active ? form->Color(QStringLiteral("TitleColor"), Qt::black)
                              : form->Color(QStringLiteral("InactiveTitleColor"), Qt::darkGray));
        painter.drawText(area, align, title);
    }

    void resizeEvent(QResizeEvent*) override { LayOut(); }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            FMenu->popup(event->globalPosition().toPoint());
            return;
        }
        if (event->button() != Qt::LeftButton) {
            return;
        }
        // The window system moves the window where it can; elsewhere we follow the mouse.
        QWindow* handle = FForm->windowHandle();
        if (handle != nullptr && handle->startSystemMove()) {
            return;
        }
        FDragging = true;
        FDragOffset = event->globalPosition().toPoint() - FForm->pos();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (FDragging) {
            FForm->move(event->globalPosition().toPoint() - FDragOffset);
        }
    }
    void mouseReleaseEvent(QMouseEvent*) override { FDragging = false; }

private:
    QWidget* FForm;
    QMenu* FMenu;
    const TSkinData* FSkinData = nullptr;
    std::vector<TSkinCaptionButton*> FButtons;
    bool FDragging = false;
    QPoint FDragOffset;
};

namespace {

/// The painted caption as assistive technology sees it: a title bar named by the window's title, holding
/// the caption buttons, whose action opens the system menu.
class TSkinCaptionAccessible : public QAccessibleWidget {
public:
    explicit TSkinCaptionAccessible(TSkinCaption* caption) : QAccessibleWidget(caption, QAccessible::TitleBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return Caption()->Form()->windowTitle();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << QAccessibleActionInterface::showMenuAction();
    }
    void doAction(const QString& name) override {
        if (name == QAccessibleActionInterface::showMenuAction()) {
            Caption()->SystemMenu()->popup(Caption()->mapToGlobal(QPoint(0, Caption()->height())));
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    TSkinCaption* Caption() const { return static_cast<TSkinCaption*>(widget()); }
};

// The caption has no meta-object of its own: it is known by its name.
QAccessibleInterface* SkinCaptionAccessibleFactory(const QString& key, QObject* object) {
    if (key != QLatin1String("QWidget") || object == nullptr || !object->isWidgetType() ||
        object->objectName() != QLatin1String("SkinCaption") ||
        TSkinForm::Of(static_cast<QWidget*>(object)->parentWidget()) == nullptr) {
        return nullptr;
    }
    return new TSkinCaptionAccessible(static_cast<TSkinCaption*>(object));
}

} // namespace

TSkinForm::TSkinForm(QWidget* form, TSkinData* skinData, TSkinFormKind kind) : QObject(form), FForm(form), FKind(kind) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(SkinCaptionAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    FSystemMenu = new QMenu(form);
    FSystemMenu->setObjectName(QStringLiteral("SkinSystemMenu"));
    if (kind == TSkinFormKind::MainWindow) {
        QAction* minimize = FSystemMenu->addAction(tr("Mi&nimize"), form, &QWidget::showMinimized);
        minimize->setObjectName(QStringLiteral("SkinMinimizeItem"));
        FSystemMenu->addSeparator();
    }
    QAction* close = FSystemMenu->addAction(tr("&Close") + QStringLiteral("\tAlt+F4"), form, &QWidget::close);
    close->setObjectName(QStringLiteral("SkinCloseItem"));
    // Window managers often keep Alt+Space for their own menu: Alt+Shift+Space is ours alone.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Space)}) {
        auto* shortcut = new QShortcut(keys, form);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (FActive) {
                FSystemMenu->popup(FForm->mapToGlobal(QPoint(0, FrameMargins.top())));
            }
        });
    }

    FCaption = new TSkinCaption(form, kind, FSystemMenu);
    FCaption->hide();
    form->installEventFilter(this);
    SetSkinData(skinData);
}

TSkinForm::~TSkinForm() {
    // The caption and the system menu are the form's children and go with it.
    if (FForm) {
        FForm->removeEventFilter(this);
    }
}

TSkinForm* TSkinForm::Of(const QWidget* form) {
    return form == nullptr ? nullptr : form->findChild<TSkinForm*>(QString(), Qt::FindDirectChildrenOnly);
}

void TSkinForm::SetSkinData(TSkinData* skinData) {
    if (FSkinData) {
        disconnect(FSkinConnection);
    }
    FSkinData = skinData;
    // The frame first: changing a window's flags restyles its whole tree, so it is done before the theme's
    // style sheet is given to it, and Qt styles the window once.
    UpdateFrame();
    if (skinData != nullptr) {
        skinData->RegisterWindow(FForm);
        FSkinConnection = connect(skinData, &TSkinData::SkinChanged, this, &TSkinForm::UpdateFrame);
    }
}

void TSkinForm::SetMainMenuBar(QMenuBar* menuBar) {
    FMenuBar = menuBar;
    if (menuBar != nullptr && SkinDataName(menuBar).isEmpty()) {
        SetSkinDataName(menuBar, QStringLiteral("mainmenubar"));
    }
}

void TSkinForm::UpdateFrame() {
    if (!FForm) {
        return;
    }
    SetActive(FSkinData && FSkinData->Active() && FSkinData->SkinnableForm());
    FCaption->SetSkin(FActive ? FSkinData.data() : nullptr);
    FForm->update();
}

void TSkinForm::SetActive(bool active) {
    if (FActive == active) {
        return;
    }
    FActive = active;
    QWidget* form = FForm;
    const bool visible = form->isVisible();
    const QSize delta = active ? QSize(6, 30) : QSize(-6, -30);
    if (active) {
        FPlatformFlags = form->windowFlags();
        form->setWindowFlags(FramelessFlags(FPlatformFlags));
    } else {
        form->setWindowFlags(FPlatformFlags);
    }
    form->setContentsMargins(active ? FrameMargins : QMargins());
    // The client keeps its size: the window grows by the frame.
    if (form->minimumSize() == form->maximumSize()) {
        form->setFixedSize(form->minimumSize() + delta);
    } else if (form->testAttribute(Qt::WA_Resized)) {
        form->resize(form->size() + delta);
    }
    FCaption->setGeometry(0, 0, form->width(), FrameMargins.top());
    FCaption->setVisible(active);
    FCaption->raise();
    if (visible) {
        form->show();
    }
}

bool TSkinForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FForm && FActive) {
        switch (event->type()) {
        case QEvent::Paint:
            PaintBorders();
            break;
        case QEvent::Resize:
            FCaption->setGeometry(0, 0, FForm->width(), FrameMargins.top());
            break;
        case QEvent::WindowTitleChange:
        case QEvent::ActivationChange:
            FCaption->update();
            FForm->update();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TSkinForm::PaintBorders() {
    const TSkinObject* form = FormObject(FSkinData);
    if (form == nullptr) {
        return;
    }
    const TSkinPart* border = form->Part(QStringLiteral("Border"));
    QPainter painter(FForm);
    const QRect below(0, FrameMargins.top(), FForm->width(), FForm->height() - FrameMargins.top());
    DrawNineSlice(painter, below, border->State(FForm->isActiveWindow() ? 0 : 1), border->Margins, false);
}

void AdjustClientSize(QWidget* form) {
    const TSkinForm* frame = TSkinForm::Of(form);
    if (frame == nullptr || !frame->FrameActive()) {
        return;
    }
    const QSize outer = form->size();
    // The client fills the contents rectangle: with the frame's margins it is outer − (6, 30).
    form->setContentsMargins(TSkinForm::FrameMargins);
    if (QLayout* layout = form->layout()) {
        layout->setContentsMargins(0, 0, 0, 0);
        layout->activate();
    }
    form->resize(outer);
}
