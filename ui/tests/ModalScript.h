#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <gtest/gtest.h>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

/// What a test saw of one modal window.
struct TSeenModal {
    QString ClassName;   // "TSkinMessageForm", "QMessageBox", ...
    QString ObjectName;
    QString Caption;
    QString Text;        // the message label or the message box text
    QStringList Buttons; // captions, left to right
    bool HasIcon = false;
    QSize ClientSize;
};

/// Answers the modal windows a test provokes, one step per window in the order they open, from
/// inside their own loops. Windows beyond the script are closed and recorded, so a test never
/// blocks; Seen() tells what opened.
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
    QPointer<QWidget> FLast;
    QTimer FTimer;
};
