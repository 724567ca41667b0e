#pragma once

#include <QDialog>
#include <QIcon>

#include <array>
#include <memory>

#include "settings/settings_store.h"
#include "ui/dialog_model.h"
#include "ui/owner_key_store.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class UiSeams;
class UpDown;

// The main window: one modal dialog whose data members are the whole state
// of the program between two user actions.
class CVeldraDlg : public QDialog {
    Q_OBJECT
public:
    CVeldraDlg(SettingsStore& store, UiSeams& seams, QString storeLocation,
               QWidget* parent = nullptr);

    // The dialog model, read by tests and benchmarks; only the window's
    // handlers change it.
    const DialogModel& model() const { return model_; }
    const QIcon& icon() const { return icon_; }

    // save true: controls into fields; false: fields into controls. Stops at
    // the first item that fails and returns false. The failing item has
    // already warned and selected its edit, so the handlers go on with the
    // fields as they then stand and leave the result aside.
    bool exchangeData(bool save);

    // "生成": read the dialog, generate, show, save, report to the clipboard.
    void GenerateCommand();
    // The result layout of a spread level (0..4); any other level changes
    // nothing.
    void layoutResults(int level);
    // A command of the window menu: the about box, or the owner key.
    void onSysCommand(unsigned id);

    // Where the owner key set in the window goes; by default the dialog's
    // own store, with nothing kept beside it.
    void setOwnerKeyStore(OwnerKeyStore& keys) { keys_ = &keys; }
    // At a first start (no store yet) the owner key is asked for over the
    // window as soon as it is shown.
    void askOwnerKeyAtFirstStart() { keyAskPending_ = true; }

    // The first show runs the start-up sequence, before the window appears.
    void setVisible(bool visible) override;
    // Esc and the close box end the window.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // The template and start-up, the window menu (veldra_dlg.cpp).
    void buildTemplate();
    void setUpWindow();
    void buildLengthAndList();
    void buildSeedControls();
    void buildSetControls();
    void buildResultControls();
    void connectControls();
    void nameObjects();
    void nameControls();
    void addWindowMenuKeys();
    void showWindowMenu(QPoint globalPos, bool fromKeyboard);
    bool onInitDialog();
    void restoreSpreadLayout(int level);
    void enableSeedEdits();
    void showAboutBox();
    void showOwnerKeyDialog();
    QString ownerKeyItemText() const;

    // The exchange, saving and the handlers that read the dialog
    // (veldra_dlg_exchange.cpp).
    bool readSeedNumber(std::size_t index);
    void saveAll();
    void showSaveFailure();
    void onSeedMode(bool stringMode);
    void onReadSeedNumbers();
    void onClampLength();
    void onSpread();

    // The character sets and the in-place list edit (veldra_dlg_sets.cpp).
    void fillSetCombo();
    void refreshCurrentList();
    void onSetSelected(int index);
    void addSet();
    void onDeleteSet();
    void onSurfaceButtonDown(QPoint pos);
    void onSurfaceDoubleClick(QPoint pos);
    void beginListEdit();
    void commitListEdit();

    DialogModel model_;
    QIcon icon_;

    // Controls, in the order of the dialog's template (which is the tab order),
    // each with its member's name as object name.
    QLineEdit* lengthEdit;
    UpDown* lengthSpin;
    QPlainTextEdit* listEdit;
    QRadioButton* stringSeedRadio;
    QRadioButton* numericSeedRadio;
    QLineEdit* seedTextEdit;
    std::array<QLineEdit*, SeedNumberCount> seedNumberEdits;
    QGroupBox* resultGroup;
    QPushButton* generateButton;
    QCheckBox* complexityCheck;
    QComboBox* setCombo;
    QPushButton* deleteButton;
    QPushButton* spreadButton;
    std::array<QLineEdit*, PasswordCount> resultEdits;

    SettingsStore& store_;
    UiSeams& seams_;
    QString storeLocation_;
    int exchanging_ = 0;
    bool initialized_ = false;
    bool saveFailureShown_ = false;
    bool saveWarningPending_ = false;
    bool nativeAboutItem_ = false;
    std::unique_ptr<OwnerKeyStore> plainKeys_;
    OwnerKeyStore* keys_;
    bool keyAskPending_ = false;
};
