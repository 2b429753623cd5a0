#include "ModalScript.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace {
TModalScript* GActive = nullptr;
}

TModalScript::TModalScript() : FOuter(GActive) {
    GActive = this;
    FTimer.setInterval(5);
    connect(&FTimer, &QTimer::timeout, this, &TModalScript::Poll);
    FTimer.start();
}

TModalScript::~TModalScript() {
    if (GActive == this) {
        GActive = FOuter;
    }
}

TModalScript& TModalScript::Then(TStep step) {
    FSteps.push_back(std::move(step));
    return *this;
}

TModalScript& TModalScript::Click(const QString& button) {
    return Then([button](QWidget* modal) {
        for (auto* push : modal->findChildren<QPushButton*>()) {
            if (push->objectName() == button || push->text().remove(u'&') == QString(button).remove(u'&')) {
                push->click();
                return;
            }
        }
        ADD_FAILURE_AT(__FILE__, __LINE__);
        modal->close();
    });
}

TModalScript& TModalScript::Key(int key) {
    return Then([key](QWidget* modal) {
        QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
        QTest::keyClick(target, Qt::Key(key));
    });
}

TModalScript& TModalScript::CloseWindow() {
    return Then([](QWidget* modal) { modal->close(); });
}

QStringList TModalScript::Texts() const {
    QStringList texts;
    for (const auto& seen : FSeen) {
        texts << seen.Text;
    }
    return texts;
}

TSeenModal TModalScript::Describe(QWidget* modal) {
    TSeenModal seen;
    seen.ClassName = QString::fromLatin1(modal->metaObject()->className());
    seen.ObjectName = modal->objectName();
    seen.Caption = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.Text = box->text();
        seen.HasIcon = box->icon() != QMessageBox::NoIcon;
    } else if (auto* label = modal->findChild<QLabel*>(QStringLiteral("Message"))) {
        seen.Text = label->text();
        if (auto* image = modal->findChild<QLabel*>(QStringLiteral("Image"))) {
            seen.HasIcon = !image->pixmap().isNull();
        }
    }
    auto buttons = modal->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    for (auto* button : buttons) {
        if (button->isVisible()) {
            seen.Buttons << button->text();
        }
    }
    if (auto* client = modal->findChild<QWidget*>(QStringLiteral("ClientArea"))) {
        seen.ClientSize = client->size();
    }
    return seen;
}

void TModalScript::Poll() {
    if (GActive != this) {
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    if (modal == FLast) {
        // A step that left its window open would block the test for good.
        if (FLastSince.elapsed() > 5000) {
            ADD_FAILURE() << "a modal window stayed open: " << Describe(modal).Text.toStdString();
            modal->close();
            FLastSince.restart();
        }
        return;
    }
    FLast = modal;
    FLastSince.start();
    FSeen.push_back(Describe(modal));
    if (FSteps.empty()) {
        modal->close(); // unexpected: record it and get out of its loop
        return;
    }
    TStep step = std::move(FSteps.front());
    FSteps.pop_front();
    step(modal);
}
