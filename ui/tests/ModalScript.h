#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

QT_BEGIN_NAMESPACE
/// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

/// What a test saw of one modal window.
struct TSeenModal {
    QString ClassName; // "TSkinMessageForm", "QMessageBox", ...
    QString ObjectName;
    QString Caption;
    QString Text;        // the message label or the message box text
    QStringList Buttons; // captions, left to right
    bool HasIcon = false;
    QSize ClientSize;
};

/// Answers the modal windows a test provokes, one step per window in the order they open, from
/// inside their own loops. Windows beyond the script are closed and recorded, so a test never
/// blocks; Seen() tells what opened. Only the script made last is active while several exist.
class TModalScript : public QObject {
public:
    using TStep = std::function<void(QWidget* modal)>;

    TModalScript();
    ~TModalScript() override;

    TModalScript& Then(TStep step);
    /// Clicks the push button whose object name or caption (without '&') is `button`.
    TModalScript& Click(const QString& button);
    TModalScript& Key(int key);
    /// Closes the window without pressing any button.
    TModalScript& CloseWindow();

    const std::vector<TSeenModal>& Seen() const { return FSeen; }
    QStringList Texts() const;
    bool Done() const { return FSteps.empty(); }

    static TSeenModal Describe(QWidget* modal);

private:
    void Poll();

    std::deque<TStep> FSteps;
    std::vector<TSeenModal> FSeen;
    TModalScript* FOuter = nullptr;
    QPointer<QWidget> FLast;
    QElapsedTimer FLastSince;
    QTimer FTimer;
};
