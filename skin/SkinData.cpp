#include "skin/SkinData.h"

#include "skin/SkinErrors.h"
#include "skin/SkinPackage.h"
#include "skin/SkinResources.h"
#include "skin/SkinStyleSheet.h"
#include "skin/SkinTheme.h"

#include <QCoreApplication>
#include <QFrame>
#include <QMutex>
#include <QStyle>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

constexpr const char* SkinNameProperty = "skinDataName";

// A theme may be inflated on a thread that prepares it ahead: the counters are shared.
std::atomic<quint64> InflationCounter = 0;
quint64 StyleSheetCounter = 0;
QMutex LastInflatedMutex;
QString LastInflated;
int NextResourceFolder = 0;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray InflateStored(const QString& fileName, const QByteArray& data) {
    ++InflationCounter;
    {
        const QMutexLocker lock(&LastInflatedMutex);
        LastInflated = fileName;
    }
    const std::string package = InflateSkinData(View(data));
    return QByteArray(package.data(), static_cast<qsizetype>(package.size()));
}

TPreparedSkin PrepareStored(const QString& fileName, const QByteArray& data) {
    const QByteArray raw = InflateStored(fileName, data);
    const TSkinPackage package = ReadSkinPackage(View(raw));
    TPreparedSkin prepared;
    prepared.Theme = TSkinTheme::Parse(package);
    prepared.StateFiles = SkinStateFiles(*prepared.Theme);
    return prepared;
}

} // namespace

void SetSkinDataName(QWidget* control, const QString& name) {
    control->setProperty(SkinNameProperty, name);
    // Plain widgets and frames paint a style sheet's background only when asked to.
    if (control->metaObject() == &QWidget::staticMetaObject || control->metaObject() == &QFrame::staticMetaObject) {
        control->setAttribute(Qt::WA_StyledBackground, true);
    }
    // Property selectors are matched when a widget is polished: polish it again.
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

QString SkinDataName(const QWidget* control) {
    return control->property(SkinNameProperty).toString();
}

QString TSkinResourceStrData::Value(const QString& key, const QString& fallback) const {
    const auto found = FValues.find(key);
    return found == FValues.end() ? fallback : found->second;
}

TCompressedStoredSkin::TCompressedStoredSkin(QObject* owner) : QObject(owner) {}

void TCompressedStoredSkin::Assign(const TCompressedStoredSkin& source) {
    FFileName = source.FFileName;
    FData = source.FData;
}

QByteArray TCompressedStoredSkin::Inflate() const {
    return InflateStored(FFileName, FData);
}

quint64 TCompressedStoredSkin::InflationCount() {
    return InflationCounter;
}

QString TCompressedStoredSkin::LastInflatedFileName() {
    const QMutexLocker lock(&LastInflatedMutex);
    return LastInflated;
}

TSkinData::TSkinData(QObject* owner) : QObject(owner) {
    // A window's palette and fonts reach the controls in it only with this on: a style sheet
    // otherwise freezes each control at the palette it had when first polished.
    QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles, true);
}

TSkinData::~TSkinData() {
    TakeAhead();
    // The pictures go with this object: no window may keep a sheet that names them.
    for (const QPointer<QWidget>& window : FWindows) {
        if (window) {
            window->setStyleSheet(QString());
        }
    }
}

void TSkinData::SetCompressedStoredSkin(TCompressedStoredSkin* store) {
    if (store == nullptr) {
        throw ESkinError("No stored theme to load");
    }
    LoadFromCompressedStoredSkin(*store);
    FStore = store;
}

void TSkinData::PrepareAhead(const TCompressedStoredSkin& store) {
    TakeAhead();
    FAheadData = store.CompressedData();
    std::promise<TPreparedSkin> promise;
    FAhead = promise.get_future();
    FAheadThread.reset(
        QThread::create([promise = std::move(promise), name = store.CompressedFileName(), data = FAheadData]() mutable {
            try {
                promise.set_value(PrepareStored(name, data));
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
        }));
    FAheadThread->start();
}

void TSkinData::TakeAhead() {
    if (FAheadThread) {
        FAheadThread->wait();
        FAheadThread.reset();
    }
}

TPreparedSkin TSkinData::Prepare(const TCompressedStoredSkin& store) {
    TakeAhead();
    if (FAhead.valid()) {
        std::future<TPreparedSkin> ahead = std::move(FAhead); // taken or dropped: used once
        const QByteArray data = std::exchange(FAheadData, QByteArray());
        if (data == store.CompressedData()) {
            return ahead.get();
        }
    }
    return PrepareStored(store.CompressedFileName(), store.CompressedData());
}

void TSkinData::LoadFromCompressedStoredSkin(const TCompressedStoredSkin& store) {
    // Everything is built aside first, so that a failure leaves the live theme untouched.
    std::unique_ptr<TSkinResourceFolder> resources;
    {
        TPreparedSkin prepared = Prepare(store);
        // A folder of its own per load: Qt caches pictures by path, so a path is never reused.
        resources = std::make_unique<TSkinResourceFolder>(QStringLiteral("/vellicor-skin/%1").arg(++NextResourceFolder),
                                                          prepared.StateFiles);
        FTheme = std::move(prepared.Theme);
        // The folder has its own copy of the pictures: the prepared ones go before the windows are restyled.
    }
    std::swap(FResources, resources);
    RebuildStyleSheet();
    // Frames change their windows' flags first, which restyles each window's tree: done before the new
    // sheet, a window is styled with it once.
    emit SkinChanged();
    RestyleAll();
    // The old pictures are no longer named by any sheet; `resources` now holds them and goes.
}

void TSkinData::RebuildStyleSheet() {
    if (!FTheme) {
        FStyleSheet.clear();
        return;
    }
    const TSkinResourceFolder* folder = FResources.get();
    FStyleSheet = SkinStyleSheet(
        *FTheme, [folder](const QString& name) { return folder->Path(name); }, FEffects);
}

void TSkinData::SetSkinnableForm(bool on) {
    if (FSkinnableForm != on) {
        FSkinnableForm = on;
        emit SkinChanged();
    }
}

void TSkinData::SetEnableSkinEffects(bool on) {
    if (FEffects != on) {
        FEffects = on;
        RebuildStyleSheet();
        RestyleAll();
        emit SkinChanged();
    }
}

void TSkinData::RegisterWindow(QWidget* window) {
    if (window == nullptr || IsRegistered(window)) {
        return;
    }
    FWindows.emplace_back(window);
    connect(window, &QObject::destroyed, this, [this] {
        FWindows.erase(std::remove_if(FWindows.begin(), FWindows.end(), [](const QPointer<QWidget>& w) { return !w; }),
                       FWindows.end());
    });
    Restyle(window);
}

void TSkinData::UnregisterWindow(QWidget* window) {
    const auto found = std::find(FWindows.begin(), FWindows.end(), window);
    if (found == FWindows.end()) {
        return;
    }
    FWindows.erase(found);
    window->setStyleSheet(QString());
    window->setPalette(QPalette());
    window->setFont(QFont());
    // The windows inside it that were styled by its sheet now need their own (isAncestorOf stops at a
    // window's edge, so the parents are followed here).
    for (const QPointer<QWidget>& inner : FWindows) {
        for (const QWidget* outer = inner ? inner->parentWidget() : nullptr; outer != nullptr;
             outer = outer->parentWidget()) {
            if (outer == window) {
                Restyle(inner);
                break;
            }
        }
    }
}

quint64 TSkinData::StyleSheetsGiven() {
    return StyleSheetCounter;
}

bool TSkinData::IsRegistered(const QWidget* window) const {
    return std::any_of(FWindows.begin(), FWindows.end(), [window](const QPointer<QWidget>& w) { return w == window; });
}

void TSkinData::Restyle(QWidget* window) const {
    if (!FTheme) {
        return;
    }
    // The sheet first: repolishing gives widgets back the palette they had when first polished,
    // so the theme's palette must come after it. A window inside another that holds the sheet (a dialog
    // of the main window) is styled by that one's sheet, parsed once, rather than by a copy parsed again
    // for every opening.
    bool inherits = false;
    for (const QWidget* outer = window->parentWidget(); outer != nullptr && !inherits; outer = outer->parentWidget()) {
        inherits = outer->styleSheet() == FStyleSheet;
    }
    if (!inherits) {
        window->setStyleSheet(FStyleSheet);
        ++StyleSheetCounter;
    } else if (!window->styleSheet().isEmpty()) {
        window->setStyleSheet(QString());
    }
    window->setPalette(FTheme->Palette());
    window->setFont(FTheme->DefaultFont());
}

void TSkinData::RestyleAll() {
    for (const QPointer<QWidget>& window : FWindows) {
        if (window) {
            Restyle(window);
        }
    }
}

std::optional<int> TSkinData::ButtonPictureHeight() const {
    const TSkinObject* button = FTheme ? FTheme->Object(QStringLiteral("button")) : nullptr;
    if (button == nullptr || button->Type() != TSkinObjectType::Button) {
        return std::nullopt;
    }
    return button->PictureRect().height();
}

int TSkinData::FrameMinWidth() const {
    const TSkinObject* form = FTheme ? FTheme->Object(QStringLiteral("form")) : nullptr;
    return form == nullptr ? 0 : form->Int(QStringLiteral("MinWidth"), 0);
}

int TSkinData::FrameMaxWidth() const {
    const TSkinObject* form = FTheme ? FTheme->Object(QStringLiteral("form")) : nullptr;
    return form == nullptr ? QWIDGETSIZE_MAX : form->Int(QStringLiteral("MaxWidth"), QWIDGETSIZE_MAX);
}

void ApplyThemeToToolTips(const TSkinTheme* theme) {
    static const QPalette platformPalette = QToolTip::palette();
    static const QFont platformFont = QToolTip::font();
    if (theme == nullptr) {
        QToolTip::setPalette(platformPalette);
        QToolTip::setFont(platformFont);
        return;
    }
    QPalette palette = platformPalette;
    for (const QPalette::ColorRole role : {QPalette::ToolTipBase, QPalette::Window}) {
        palette.setColor(role, theme->Palette().color(QPalette::ToolTipBase));
    }
    for (const QPalette::ColorRole role : {QPalette::ToolTipText, QPalette::WindowText}) {
        palette.setColor(role, theme->Palette().color(QPalette::ToolTipText));
    }
    QToolTip::setPalette(palette);
    QToolTip::setFont(theme->DefaultFont());
}
