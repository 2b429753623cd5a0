#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
namespace linklabel {
class TLinkLabel;
}

/// The About dialog: the product's name, its logo and a link to its web page.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblWinePrefix = nullptr; // where the hive is a Wine prefix's user.reg
    linklabel::TLinkLabel* LinkLabel2 = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void FormShow();
    void LinkLabel1LinkClick();
};

/// Shows a new About dialog modally and destroys it when it closes.
void ShowAboutForm();
