#pragma once

#include "help/viewer/ChmFile.h"
#include "help/viewer/Sitemap.h"

#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

/// Shows the pages of a compiled help file: reads pages, pictures and style sheets from the file.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit THelpBrowser(QWidget* parent = nullptr);
    void SetFile(const TChmFile* file) { FFile = file; }
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowFocusedLink();

    const TChmFile* FFile = nullptr;
};

/// The help window: the contents and the index of one help file on the left, its pages on the right.
/// It has no owner, stays open while the user works on, and never keeps the program running by itself.
class THelpWindow : public QWidget {
    Q_OBJECT

public:
    /// Opens `path`; a file that cannot be opened shows a page that says so.
    explicit THelpWindow(const QString& path);
    ~THelpWindow() override;

    const QString& FilePath() const { return FPath; }
    bool IsOpen() const { return FFile != nullptr; }
    /// Shows a topic of the file ("/topics/a.htm"); false when the file has no such topic.
    bool ShowTopic(const std::string& topic);
    /// Shows the file's default topic (or its first page).
    void ShowDefaultTopic();
    /// Shows the topic the file maps `context` to; false when it maps none.
    bool ShowContext(std::uint32_t context);

    /// The address of a topic inside the file, as the browser shows it.
    static QUrl TopicUrl(const std::string& topic);

private:
    void ShowMessage(const QString& title, const QString& text);
    void FillContents();
    void FillIndex();
    void OpenLink(const QUrl& link);
    void SelectContentsOf(const QUrl& source);

    QString FPath;
    std::unique_ptr<TChmFile> FFile;
    THelpBrowser* FBrowser = nullptr;
    QTreeWidget* FContents = nullptr;
    QLineEdit* FIndexFilter = nullptr;
    QListWidget* FIndex = nullptr;
};
