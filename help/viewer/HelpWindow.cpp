#include "help/viewer/HelpWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <QAction>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* kScheme = "chm";
constexpr int kTopicRole = Qt::UserRole;

QString DecodeHtml(const std::string& bytes) {
    const QByteArray data = QByteArray::fromStdString(bytes);
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid()) {
        decoder = QStringDecoder(QStringDecoder::Utf8);
    }
    return decoder.decode(data);
}

// A topic as written in a contents or index file, relative to the file's root.
std::string TopicOfLocal(const std::string& local) {
    std::string topic = local;
    if (auto separator = topic.find("::"); separator != std::string::npos) {
        topic = topic.substr(separator + 2); // "file.chm::/page.htm"
    }
    return TChmFile::Absolute(topic);
}

} // namespace

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setObjectName("HelpBrowser");
    setOpenLinks(false);
    // A new page has no focused link.
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setExtraSelections({}); });
    // Nor has a page the user clicked into.
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] {
        if (!textCursor().hasSelection()) {
            setExtraSelections({});
        }
    });
}

bool THelpBrowser::focusNextPrevChild(bool next) {
    const bool moved = QTextBrowser::focusNextPrevChild(next); // to the next link, or out of the page
    ShowFocusedLink();
    return moved;
}

void THelpBrowser::focusOutEvent(QFocusEvent* event) {
    QTextBrowser::focusOutEvent(event);
    ShowFocusedLink();
}

void THelpBrowser::ShowFocusedLink() {
    const QTextCursor link = textCursor();
    if (!hasFocus() || !link.hasSelection()) {
        setExtraSelections({});
        return;
    }
    // The style marks a link reached with Tab by a thin dotted frame only: it is shown as selected text
    // is, and told to assistive technology, which hears nothing of it otherwise.
    QTextEdit::ExtraSelection shown;
    shown.cursor = link;
    shown.format.setBackground(palette().brush(QPalette::Active, QPalette::Highlight));
    shown.format.setForeground(palette().brush(QPalette::Active, QPalette::HighlightedText));
    setExtraSelections({shown});
    QAccessibleTextSelectionEvent selected(this, link.selectionStart(), link.selectionEnd());
    selected.setCursorPosition(link.position());
    QAccessible::updateAccessibility(&selected);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    if (FFile == nullptr || name.scheme() != QLatin1String(kScheme)) {
        return {};
    }
    const std::optional<std::string> bytes = FFile->Read(name.path().toStdString());
    if (!bytes) {
        return {};
    }
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
        return DecodeHtml(*bytes);
    }
    return QByteArray::fromStdString(*bytes);
}

namespace {

// A plain top-level widget would be exposed as a filler; the help is a window of its own.
QAccessibleInterface* HelpWindowAccessibleFactory(const QString& key, QObject* object) {
    if (key != QLatin1String("THelpWindow") || object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

// This library is unloaded at the end of the run: the factory goes with the last help window.
int GHelpWindows = 0;

} // namespace

THelpWindow::THelpWindow(const QString& path) : QWidget(nullptr, Qt::Window), FPath(path) {
    if (GHelpWindows++ == 0) {
        QAccessible::installFactory(HelpWindowAccessibleFactory);
    }
    setObjectName("HelpWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(860, 600);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName("tbHelp");
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setIconSize(QSize(16, 16));
    QAction* back = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"));
    QAction* forward = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"));
    QAction* home = toolBar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Home"));
    back->setObjectName("actHelpBack");
    forward->setObjectName("actHelpForward");
    home->setObjectName("actHelpHome");
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    // Escape closes the help, as it closes a dialog.
    auto* close = new QAction(tr("Close"), this);
    close->setObjectName("actHelpClose");
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    FBrowser = new THelpBrowser(this);
    FContents = new QTreeWidget(this);
    FContents->setObjectName("tvContents");
    FContents->setHeaderHidden(true);
    FIndexFilter = new QLineEdit(this);
    FIndexFilter->setObjectName("edtIndexFilter");
    FIndexFilter->setPlaceholderText(tr("Type the keyword to find"));
    FIndex = new QListWidget(this);
    FIndex->setObjectName("lbIndex");
    // Names for assistive technology: none of these panes has a visible label of its own.
    FBrowser->setAccessibleName(tr("Help page"));
    FContents->setAccessibleName(tr("Contents"));
    FIndexFilter->setAccessibleName(tr("Keyword to find"));
    FIndex->setAccessibleName(tr("Index"));

    auto* indexPage = new QWidget(this);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    indexLayout->addWidget(FIndexFilter);
    indexLayout->addWidget(FIndex);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("pcNavigation");
    tabs->addTab(FContents, tr("Contents"));
    tabs->addTab(indexPage, tr("Index"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs);
    splitter->addWidget(FBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(splitter);

    connect(back, &QAction::triggered, FBrowser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, FBrowser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, &THelpWindow::ShowDefaultTopic);
    connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::anchorClicked, this, &THelpWindow::OpenLink);
    connect(FBrowser, &QTextBrowser::sourceChanged, this, &THelpWindow::SelectContentsOf);
    auto openItem = [this](QTreeWidgetItem* item) {
        if (item != nullptr && !item->data(0, kTopicRole).toString().isEmpty()) {
            ShowTopic(item->data(0, kTopicRole).toString().toStdString());
        }
    };
    connect(FContents, &QTreeWidget::itemClicked, this, openItem);
    connect(FContents, &QTreeWidget::itemActivated, this, openItem);
    auto openKeyword = [this](QListWidgetItem* item) {
        if (item != nullptr) {
            ShowTopic(item->data(kTopicRole).toString().toStdString());
        }
    };
    connect(FIndex, &QListWidget::itemClicked, this, openKeyword);
    connect(FIndex, &QListWidget::itemActivated, this, openKeyword);
    connect(FIndexFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (int i = 0; i < FIndex->count(); ++i) {
            QListWidgetItem* item = FIndex->item(i);
            if (item->text().startsWith(text, Qt::CaseInsensitive)) {
                FIndex->setCurrentItem(item);
                FIndex->scrollToItem(item, QAbstractItemView::PositionAtTop);
                break;
            }
        }
    });
    connect(FIndexFilter, &QLineEdit::returnPressed, this, [this, openKeyword] { openKeyword(FIndex->currentItem()); });

    FFile = TChmFile::Open(path.toStdString());
    if (FFile == nullptr) {
        setWindowTitle(tr("Help"));
        ShowMessage(tr("Cannot open the help file"),
                    tr("The help file %1 cannot be opened. It may be missing or damaged; installing the "
                       "program again brings it back.")
                        .arg(path.toHtmlEscaped()));
        return;
    }
    setWindowTitle(FFile->Title().empty() ? tr("Help") : QString::fromStdString(FFile->Title()));
    FBrowser->SetFile(FFile.get());
    FillContents();
    FillIndex();
}

THelpWindow::~THelpWindow() {
    FBrowser->SetFile(nullptr);
    if (--GHelpWindows == 0) {
        QAccessible::removeFactory(HelpWindowAccessibleFactory);
    }
}

QUrl THelpWindow::TopicUrl(const std::string& topic) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(QString::fromStdString(TopicOfLocal(topic)));
    return url;
}

void THelpWindow::ShowMessage(const QString& title, const QString& text) {
    FBrowser->setHtml(QStringLiteral("<h2>%1</h2><p>%2</p>").arg(title.toHtmlEscaped(), text));
}

bool THelpWindow::ShowTopic(const std::string& topic) {
    if (FFile == nullptr) {
        return false;
    }
    const std::string path = TopicOfLocal(topic);
    std::string page = path.substr(0, path.find('#'));
    if (!FFile->Exists(page)) {
        ShowMessage(tr("Topic not found"),
                    tr("The help file has no topic %1.").arg(QString::fromStdString(page).toHtmlEscaped()));
        return false;
    }
    QUrl url = TopicUrl(page);
    if (auto hash = path.find('#'); hash != std::string::npos) {
        url.setFragment(QString::fromStdString(path.substr(hash + 1)));
    }
    FBrowser->setSource(url, QTextDocument::HtmlResource);
    return true;
}

void THelpWindow::ShowDefaultTopic() {
    if (FFile == nullptr) {
        return;
    }
    if (!FFile->DefaultTopic().empty() && FFile->Exists(FFile->DefaultTopic())) {
        ShowTopic(FFile->DefaultTopic());
        return;
    }
    for (const std::string& path : FFile->List()) {
        if (path.ends_with(".htm") || path.ends_with(".html")) {
            ShowTopic(path);
            return;
        }
    }
}

bool THelpWindow::ShowContext(std::uint32_t context) {
    if (FFile == nullptr) {
        return false;
    }
    const std::optional<std::string> topic = FFile->TopicOfContext(context);
    if (!topic) {
        ShowMessage(tr("Topic not found"), tr("The help file has no topic for context %1.").arg(context));
        return false;
    }
    return ShowTopic(*topic);
}

void THelpWindow::OpenLink(const QUrl& link) {
    const QUrl target = FBrowser->source().resolved(link);
    if (target.scheme() == QLatin1String(kScheme)) {
        std::string topic = target.path().toStdString();
        if (target.hasFragment()) {
            topic += '#';
            topic += target.fragment().toStdString();
        }
        ShowTopic(topic);
    } else if (target.scheme() == QLatin1String("ms-its") || target.scheme() == QLatin1String("mk")) {
        ShowTopic(target.toString().toStdString()); // "ms-its:Help.chm::/page.htm": a page of this file
    } else {
        QDesktopServices::openUrl(target); // the web and mail go to the desktop's programs
    }
}

void THelpWindow::FillContents() {
    if (FFile->ContentsFile().empty()) {
        return;
    }
    const std::optional<std::string> text = FFile->Read(FFile->ContentsFile());
    if (!text) {
        return;
    }
    struct TLevel {
        const std::vector<TSitemapItem>* Items;
        QTreeWidgetItem* Parent;
    };
    std::vector<TLevel> pending{{nullptr, nullptr}};
    const std::vector<TSitemapItem> items = ParseSitemap(*text);
    pending.back().Items = &items;
    while (!pending.empty()) {
        const TLevel level = pending.back();
        pending.pop_back();
        for (const TSitemapItem& item : *level.Items) {
            auto* node = level.Parent == nullptr ? new QTreeWidgetItem(FContents) : new QTreeWidgetItem(level.Parent);
            node->setText(0, QString::fromStdString(item.Name));
            if (!item.Local.empty()) {
                node->setData(0, kTopicRole, QString::fromStdString(TopicOfLocal(item.Local)));
            }
            if (!item.Children.empty()) {
                pending.push_back({&item.Children, node});
            }
        }
    }
    FContents->expandAll();
}

void THelpWindow::FillIndex() {
    if (FFile->IndexFile().empty()) {
        return;
    }
    const std::optional<std::string> text = FFile->Read(FFile->IndexFile());
    if (!text) {
        return;
    }
    std::vector<const TSitemapItem*> pending;
    const std::vector<TSitemapItem> items = ParseSitemap(*text);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        pending.push_back(&*it);
    }
    while (!pending.empty()) {
        const TSitemapItem* item = pending.back();
        pending.pop_back();
        if (!item->Local.empty()) {
            auto* entry = new QListWidgetItem(QString::fromStdString(item->Name), FIndex);
            entry->setData(kTopicRole, QString::fromStdString(TopicOfLocal(item->Local)));
        }
        for (auto it = item->Children.rbegin(); it != item->Children.rend(); ++it) {
            pending.push_back(&*it);
        }
    }
}

void THelpWindow::SelectContentsOf(const QUrl& source) {
    const QString topic = source.path();
    for (QTreeWidgetItemIterator it(FContents); *it != nullptr; ++it) {
        if ((*it)->data(0, kTopicRole).toString() == topic) {
            const QSignalBlocker quiet(FContents);
            FContents->setCurrentItem(*it);
            return;
        }
    }
}
