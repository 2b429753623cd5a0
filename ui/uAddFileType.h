#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTreeWidget;
class TSkinData;

/// The Add file types dialog: tick entries of the predefined list (Extensions.txt beside the
/// program) or type extensions. The same dialog serves both sides of the main window. It is drawn in
/// `skinData`, the live theme its opener hands it.
class TAddFileTypeForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddFileTypeForm(TSkinData& skinData, QWidget* parent = nullptr);

    /// The extensions chosen in the selected mode: the typed text split as a stored list is, or
    /// the Extension of every checked row, top to bottom.
    std::vector<std::string> ChosenExtensions() const;

    /// Empties the edit box and clears every row's selection and check box.
    void ResetInput();

    QWidget* ClientArea() const { return FClientArea; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QRadioButton* rbList = nullptr;
    QTreeWidget* lvExtensions = nullptr;
    QScrollBar* sbExtList = nullptr;
    QRadioButton* rbManual = nullptr;
    QLineEdit* edtInputExtensions = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

    void FormCreate();
    void FormShow();
    void rbManualClick();

    QWidget* FClientArea;
};
