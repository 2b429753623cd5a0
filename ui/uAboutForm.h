#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class TSkinData;
namespace linklabel {
class TLinkLabel;
}

/// The About dialog: the product's name, its logo and a link to its web page. It is drawn in `skinData`,
/// and its link calls `openProductWebPage`: the dialog knows no window but its parent.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(TSkinData& skinData, std::function<void()> openProductWebPage, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    QLabel* Image1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblWinePrefix = nullptr; // where the hive is a Wine prefix's user.reg
    linklabel::TLinkLabel* LinkLabel2 = nullptr;
    QPushButton* btnOK = nullptr;

    void FormShow();
    void LinkLabel1LinkClick();

    std::function<void()> FOpenProductWebPage;
};

/// Shows a new About dialog modally, in `skinData` and over `owner`, and destroys it when it closes.
void ShowAboutForm(TSkinData& skinData, std::function<void()> openProductWebPage, QWidget* owner);
