// Shows every kind of themed control in each carried theme and saves one screenshot per theme:
// a main window (menu bar, panels, tabs, list box, buttons in their states, drop-down), a
// dialog (radio buttons, edit, divider, list view with check boxes and header, scroll bar),
// a message box and an open popup menu with check marks.
//
//   vellicor_skinpreview <output folder> [stored file name...]
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "themes/ThemePackages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iostream>

namespace {

template <typename T> T* Named(T* widget, const char* skinObject) {
    SetSkinDataName(widget, QLatin1String(skinObject));
    return widget;
}

QPushButton* Button(const QString& text, QWidget* parent) {
    auto* button = Named(new QPushButton(text, parent), "button");
    button->setFixedSize(75, 25);
    return button;
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

struct TPreview {
    QWidget* Main;
    QMenu* ThemeMenu;
    QWidget* Dialog;
    QWidget* Message;
};

QWidget* Frame(TSkinData& skin, TSkinFormKind kind, const QString& title, QWidget* client, QSize clientSize) {
    auto* form = new QWidget(nullptr, kind == TSkinFormKind::MainWindow ? Qt::Window : Qt::Dialog);
    form->setWindowTitle(title);
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    form->resize(clientSize);
    new TSkinForm(form, &skin, kind);
    return form;
}

TPreview Build(TSkinData& skin) {
    TPreview preview{};
    // Main window.
    auto* client = new QWidget;
    auto* v = new QVBoxLayout(client);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* menuBar = new QMenuBar(client);
    menuBar->setObjectName(QStringLiteral("MainMenuBar"));
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Save"));
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"));
    QMenu* theme = menuBar->addMenu(QStringLiteral("Visual &Theme"));
    const char* captions[] = {"Office 2007 (default)",
                              "Andromeda",
                              "Fine Vector",
                              "Game Style",
                              "iMetal",
                              "Lagoon",
                              "Optima",
                              "Orion",
                              "Vista",
                              "Vista Light",
                              "WinXP Silver"};
    for (const char* caption : captions) {
        QAction* action = theme->addAction(QLatin1String(caption));
        action->setCheckable(true);
        action->setChecked(caption == captions[0]);
    }
    theme->actions().at(4)->setEnabled(false);
    menuBar->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About Vellicor"));
    v->addWidget(menuBar);
    preview.ThemeMenu = theme;

    auto* top = Named(new QWidget, "panel");
    auto* th = new QHBoxLayout(top);
    th->setContentsMargins(10, 8, 10, 8);
    th->addWidget(Named(new QLabel(QStringLiteral("Outlook version:")), "stdlabel"));
    auto* combo = Named(new QComboBox, "combobox");
    combo->addItems({QStringLiteral("Outlook 2003"), QStringLiteral("Outlook 2007")});
    combo->setCurrentIndex(1);
    combo->setFixedSize(160, 21);
    th->addWidget(combo);
    auto* combo2 = Named(new QComboBox, "combobox");
    combo2->addItem(QStringLiteral("Disabled"));
    combo2->setEnabled(false);
    combo2->setFixedSize(100, 21);
    th->addWidget(combo2);
    th->addStretch();
    v->addWidget(top);

    auto* body = new QWidget;
    auto* bh = new QHBoxLayout(body);
    bh->setContentsMargins(8, 8, 8, 8);
    auto* tabs = Named(new QTabWidget, "tab");
    auto* page = new QWidget;
    auto* ph = new QHBoxLayout(page);
    auto* list = Named(new QListWidget, "listbox");
    list->addItems({QStringLiteral(".bat"), QStringLiteral(".cmd"), QStringLiteral(".exe"), QStringLiteral(".js"),
                    QStringLiteral(".vbs"), QStringLiteral(".zip")});
    list->setCurrentRow(2);
    ph->addWidget(list);
    auto* buttons = new QVBoxLayout;
    QPushButton* add = Button(QStringLiteral("Add..."), page);
    QPushButton* remove = Button(QStringLiteral("Remove"), page);
    remove->setEnabled(false);
    QPushButton* hot = Button(QStringLiteral("Hot"), page);
    hot->setAttribute(Qt::WA_UnderMouse, true);
    QPushButton* pressed = Button(QStringLiteral("Pressed"), page);
    pressed->setDown(true);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(hot);
    buttons->addWidget(pressed);
    buttons->addStretch();
    ph->addLayout(buttons);
    tabs->addTab(page, QStringLiteral("Allow access"));
    tabs->addTab(new QWidget, QStringLiteral("Block access"));
    bh->addWidget(tabs);
    v->addWidget(body, 1);

    auto* bottom = Named(new QWidget, "panel");
    auto* bth = new QHBoxLayout(bottom);
    bth->setContentsMargins(10, 6, 10, 6);
    bth->addWidget(Named(new QLabel(QStringLiteral("A label on a panel")), "stdlabel"));
    bth->addStretch();
    QPushButton* save = Button(QStringLiteral("Save"), bottom);
    save->setDefault(true);
    bth->addWidget(save);
    bth->addWidget(Button(QStringLiteral("Cancel"), bottom));
    v->addWidget(bottom);
    preview.Main = Frame(skin, TSkinFormKind::MainWindow, QStringLiteral("Vellicor"), client, QSize(560, 360));
    TSkinForm::Of(preview.Main)->SetMainMenuBar(menuBar);
    add->setFocus();

    // Dialog.
    auto* dclient = new QWidget;
    auto* dv = new QVBoxLayout(dclient);
    dv->setContentsMargins(10, 10, 10, 10);
    auto* manual = Named(new QRadioButton(QStringLiteral("Type extensions:")), "radiobox");
    auto* fromList = Named(new QRadioButton(QStringLiteral("Choose from the list:")), "radiobox");
    auto* off = Named(new QRadioButton(QStringLiteral("Disabled")), "radiobox");
    off->setEnabled(false);
    fromList->setChecked(true);
    dv->addWidget(manual);
    auto* edit = Named(new QLineEdit(QStringLiteral(".exe .com")), "edit");
    dv->addWidget(edit);
    auto* bevel = Named(new QFrame, "bevel");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFixedHeight(2);
    dv->addWidget(bevel);
    auto* radios = new QHBoxLayout;
    radios->addWidget(fromList);
    radios->addWidget(off);
    dv->addLayout(radios);
    auto* lh = new QHBoxLayout;
    auto* view = Named(new QTreeWidget, "listview");
    view->setRootIsDecorated(false);
    view->setHeaderLabels({QStringLiteral("Extension"), QStringLiteral("Description")});
    const char* rows[][2] = {{".ade", "Access project extension"},  {".adp", "Access project"},
                             {".bas", "Visual Basic class module"}, {".bat", "Batch file"},
                             {".chm", "Compiled HTML help file"},   {".cmd", "Windows NT command script"}};
    int n = 0;
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem(view, {QLatin1String(row[0]), QLatin1String(row[1])});
        item->setCheckState(0, n % 3 == 1 ? Qt::Checked : Qt::Unchecked);
        ++n;
    }
    view->setCurrentItem(view->topLevelItem(1));
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->header()->resizeSection(0, 80);
    lh->addWidget(view);
    auto* scroll = Named(new QScrollBar(Qt::Vertical), "vscrollbar");
    scroll->setRange(0, 10);
    scroll->setPageStep(4);
    scroll->setValue(3);
    lh->addWidget(scroll);
    dv->addLayout(lh);
    auto* hscroll = new QScrollBar(Qt::Horizontal);
    hscroll->setRange(0, 10);
    hscroll->setPageStep(3);
    dv->addWidget(hscroll);
    auto* db = new QHBoxLayout;
    db->addStretch();
    QPushButton* ok = Button(QStringLiteral("OK"), dclient);
    ok->setDefault(true);
    db->addWidget(ok);
    db->addWidget(Button(QStringLiteral("Cancel"), dclient));
    dv->addLayout(db);
    preview.Dialog = Frame(skin, TSkinFormKind::Dialog, QStringLiteral("Add file types"), dclient, QSize(360, 360));
    fromList->setFocus();

    // Message box.
    auto* mclient = new QWidget;
    auto* icon = new QLabel(mclient);
    icon->setPixmap(mclient->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    icon->setGeometry(5, 10, 32, 32);
    auto* text = Named(new QLabel(QStringLiteral("Save changes before exit?"), mclient), "stdlabel");
    text->adjustSize();
    text->move(50, 15);
    const int height = skin.ButtonPictureHeight().value_or(25);
    const char* names[] = {"&Yes", "&No", "Cancel"};
    for (int i = 0; i < 3; ++i) {
        auto* b = Named(new QPushButton(QLatin1String(names[i]), mclient), "button");
        b->setGeometry(20 + i * 80, height + text->height() + 50 - height - 10, 70, height);
        if (i == 0) {
            b->setDefault(true);
        }
    }
    preview.Message = Frame(skin, TSkinFormKind::MessageBox, QStringLiteral("Confirm"), mclient,
                            QSize(270, height + text->height() + 50));
    return preview;
}

QImage Shot(TSkinData& skin) {
    TPreview p = Build(skin);
    p.Main->move(0, 0);
    p.Main->show();
    p.Main->activateWindow();
    Settle();
    // The mouse over one button: its hot state.
    for (QPushButton* button : p.Main->findChildren<QPushButton*>()) {
        if (button->text() == QLatin1String("Hot")) {
            button->setAttribute(Qt::WA_UnderMouse, true);
            button->update();
        }
    }
    Settle();
    const QImage main = p.Main->grab().toImage();
    p.ThemeMenu->popup(QPoint(0, 0));
    p.ThemeMenu->setActiveAction(p.ThemeMenu->actions().at(2));
    Settle();
    const QImage menu = p.ThemeMenu->grab().toImage();
    p.ThemeMenu->hide();
    p.Dialog->show();
    p.Dialog->activateWindow();
    Settle();
    const QImage dialog = p.Dialog->grab().toImage();
    p.Message->show();
    p.Message->activateWindow();
    Settle();
    const QImage message = p.Message->grab().toImage();
    // An inactive frame: the dialog once the message box has the focus.
    const QImage inactive = p.Dialog->grab().toImage();

    const int gap = 12;
    const int w = main.width() + gap + dialog.width() + gap + std::max(menu.width(), message.width()) + gap * 2;
    const int h = std::max({main.height() + gap + inactive.height() / 3, dialog.height(),
                            menu.height() + gap + message.height()}) +
                  gap * 2;
    QImage canvas(w, h, QImage::Format_ARGB32);
    canvas.fill(QColor("#808080"));
    QPainter painter(&canvas);
    painter.drawImage(gap, gap, main);
    painter.drawImage(gap, gap + main.height() + gap, inactive.copy(0, 0, inactive.width(), inactive.height() / 3));
    painter.drawImage(gap + main.width() + gap, gap, dialog);
    const int x3 = gap + main.width() + gap + dialog.width() + gap;
    painter.drawImage(x3, gap, menu);
    painter.drawImage(x3, gap + menu.height() + gap, message);
    painter.end();
    delete p.Main;
    delete p.Dialog;
    delete p.Message;
    return canvas;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: vellicor_skinpreview <output folder> [stored file name...]\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.absolutePath());
    QStringList wanted;
    for (int i = 2; i < argc; ++i) {
        wanted << QString::fromLocal8Bit(argv[i]);
    }
    int status = 0;
    for (const themes::TThemePackage& package : themes::Packages()) {
        const QString fileName = QLatin1String(package.FileName);
        if (!wanted.isEmpty() && !wanted.contains(fileName)) {
            continue;
        }
        TCompressedStoredSkin store;
        store.SetCompressedFileName(fileName);
        store.SetCompressedData(
            QByteArray::fromRawData(reinterpret_cast<const char*>(package.Data), static_cast<qsizetype>(package.Size)));
        TSkinData skin;
        try {
            skin.SetCompressedStoredSkin(&store);
        } catch (const std::exception& e) {
            std::cerr << fileName.toStdString() << ": " << e.what() << "\n";
            status = 1;
            continue;
        }
        const QString path = out.filePath(QFileInfo(fileName).completeBaseName() + QStringLiteral(".png"));
        Shot(skin).save(path);
        std::cout << path.toStdString() << "\n";
    }
    return status;
}
