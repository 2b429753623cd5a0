#pragma once

#include "outlook/EffectiveStatus.h"

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TSkinData;

/// What the saved settings make Outlook do with one file type: type a file name or an extension, see the
/// verdict for the version on screen and the reasons for it. It reads the saved state only, and says so when
/// the lists on screen hold edits that are not saved.
class TCheckFileTypeForm : public QDialog {
    Q_OBJECT
public:
    TCheckFileTypeForm(TSkinData& skinData, QWidget* parent, TSecurityLayers layers,
                       std::vector<std::string> defaultLevel1, std::string versionName, bool unsavedEdits);

    /// Shows the verdict for the text of the edit box.
    void Evaluate();

private:
    QLineEdit* edtFileName = nullptr;
    QLabel* lblVerdict = nullptr;
    QListWidget* lbReasons = nullptr;
    QLabel* lblUnsaved = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;

    TSecurityLayers FLayers;
    std::vector<std::string> FDefaultLevel1;
    std::string FVersionName;
};
