#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <future>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QWidget>
class TSkinTheme;
class TSkinResourceFolder;

/// Names the skin object of the live theme that draws `control` ("button", "listbox", ...).
/// Takes effect at once, also on a control that is already shown.
void SetSkinDataName(QWidget* control, const QString& name);
/// The skin object `control` names, or an empty string.
QString SkinDataName(const QWidget* control);

/// A string table a theme can carry for the texts of its windows; looked up by key.
class TSkinResourceStrData : public QObject {
    Q_OBJECT
public:
    explicit TSkinResourceStrData(QObject* owner = nullptr) : QObject(owner) {}

    /// The text stored under `key`, or `fallback` when the table has none.
    QString Value(const QString& key, const QString& fallback) const;
    void SetValue(const QString& key, const QString& text) { FValues[key] = text; }
    bool Empty() const { return FValues.empty(); }

private:
    std::map<QString, QString> FValues;
};

/// A theme as the program stores it: one zlib stream holding a theme package. Its objectName is
/// the stored theme's name (a theme identifier); the file name is descriptive only.
class TCompressedStoredSkin : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString CompressedFileName READ CompressedFileName WRITE SetCompressedFileName)
    Q_PROPERTY(QByteArray CompressedData READ CompressedData WRITE SetCompressedData)
public:
    explicit TCompressedStoredSkin(QObject* owner = nullptr);

    const QString& CompressedFileName() const { return FFileName; }
    void SetCompressedFileName(const QString& fileName) { FFileName = fileName; }
    const QByteArray& CompressedData() const { return FData; }
    void SetCompressedData(const QByteArray& data) { FData = data; }
    bool Empty() const { return FData.isEmpty(); }

    /// Replaces this slot's theme with `source`'s (file name and data); the objectName stays.
    void Assign(const TCompressedStoredSkin& source);

    /// The inflated theme package; throws ESkinError when the stream is damaged.
    QByteArray Inflate() const;

    /// How many times any stored theme has been inflated in this process, and the file name
    /// of the last one (a seam for tests: only the chosen theme may be inflated).
    static quint64 InflationCount();
    static QString LastInflatedFileName();

private:
    QString FFileName;
    QByteArray FData;
};

/// What loading a stored theme makes before any window is touched: the theme parsed and the pictures of its
/// states. Made on any thread.
struct TPreparedSkin {
    std::shared_ptr<const TSkinTheme> Theme;
    std::map<QString, QByteArray> StateFiles;
};

/// The live theme: loaded from a stored theme, it draws every window registered with it and
/// every control in them that names one of its skin objects. Loading again restyles them all.
class TSkinData : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool SkinnableForm READ SkinnableForm WRITE SetSkinnableForm)
    Q_PROPERTY(bool EnableSkinEffects READ EnableSkinEffects WRITE SetEnableSkinEffects)
public:
    explicit TSkinData(QObject* owner = nullptr);
    ~TSkinData() override;

    /// Points at `store` and loads its theme (again, when it is the same store), then restyles every
    /// registered window. Throws ESkinError when the theme cannot be loaded; the live theme,
    /// the store it points at and every window then stay as they were.
    void SetCompressedStoredSkin(TCompressedStoredSkin* store);
    TCompressedStoredSkin* CompressedStoredSkin() const { return FStore; }
    /// Loads the theme held by `store` without pointing at it; same failure rule.
    void LoadFromCompressedStoredSkin(const TCompressedStoredSkin& store);
    /// Starts preparing the theme `store` holds on a thread of its own, so that it is read while the windows are
    /// built; the next load of a store holding the same data takes it, and fails as it would have.
    void PrepareAhead(const TCompressedStoredSkin& store);

    /// Whether a theme is loaded.
    bool Active() const { return FTheme != nullptr; }
    /// The loaded theme, or nullptr.
    const TSkinTheme* Theme() const { return FTheme.get(); }
    /// The style sheet given to registered windows (empty without a theme).
    const QString& StyleSheet() const { return FStyleSheet; }
    /// How many times a theme's sheet has been given to a window, in this process: Qt parses the sheet
    /// anew for each.
    static quint64 StyleSheetsGiven();

    /// Themed frames (TSkinForm) are drawn in place of the platform's while this is on.
    bool SkinnableForm() const { return FSkinnableForm; }
    void SetSkinnableForm(bool on);
    /// Hot (mouse-over) states are shown while this is on.
    bool EnableSkinEffects() const { return FEffects; }
    void SetEnableSkinEffects(bool on);

    /// The theme's texts; null unless one is attached (the program never attaches one).
    TSkinResourceStrData* ResourceStrData() const { return FStrings; }
    void SetResourceStrData(TSkinResourceStrData* strings) { FStrings = strings; }

    /// Themes `window` and everything in it now and after every load, until it is destroyed or
    /// unregistered. Registering twice is harmless.
    void RegisterWindow(QWidget* window);
    /// Stops theming `window` and gives it back the platform's look.
    void UnregisterWindow(QWidget* window);
    bool IsRegistered(const QWidget* window) const;

    /// Height of the picture rectangle of the theme's "button" object, when the theme has one
    /// that is a button object.
    std::optional<int> ButtonPictureHeight() const;
    /// The smallest and largest outer width the theme's frame allows (0 and QWIDGETSIZE_MAX without a theme).
    int FrameMinWidth() const;
    int FrameMaxWidth() const;

signals:
    /// After a load (before the windows take the new style sheet) and after a property change: frames
    /// redraw themselves.
    void SkinChanged();

private:
    TPreparedSkin Prepare(const TCompressedStoredSkin& store);
    void Restyle(QWidget* window) const;
    void RestyleAll();
    void RebuildStyleSheet();

    QPointer<TCompressedStoredSkin> FStore;
    std::shared_ptr<const TSkinTheme> FTheme;
    std::unique_ptr<TSkinResourceFolder> FResources;
    QString FStyleSheet;
    bool FSkinnableForm = true;
    bool FEffects = true;
    QPointer<TSkinResourceStrData> FStrings;
    std::vector<QPointer<QWidget>> FWindows;
    // The theme being prepared ahead: a thread of Qt's own, since the parse makes Qt objects, which a thread
    // Qt did not start would keep Qt's data of beyond its end.
    void TakeAhead();
    QByteArray FAheadData; // what FAhead is being made of
    std::future<TPreparedSkin> FAhead;
    std::unique_ptr<QThread> FAheadThread;
};

/// Tooltips are windows of their own, which no window's style sheet reaches: they take the theme's tooltip
/// colours and its font from here. Null gives them the platform's look back.
void ApplyThemeToToolTips(const TSkinTheme* theme);
