#pragma once

#include "Prompts.h"

class QSettings;
class QWidget;

// The prompts as the windows show them: message boxes, input and file dialogs, each owned by
// the window that asked (the main window when none is named), which has the focus back once
// the question is answered. File dialogs open in the folder of the last file chosen, else in the
// user's Documents, never in the folder the program happened to start in.
class QtPrompts : public PromptDisplay, public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr)
        : Prompts(static_cast<PromptDisplay&>(*this)), parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // Where the folder of the last file chosen is kept from one run to the next.
    void keepFoldersIn(QSettings& settings) { settings_ = &settings; }

    Answer showMessage(Question& question) override;
    std::optional<QString> showInput(Question& question) override;
    QString showFile(Question& question) override;
    void soundBeep() override;

private:
    QWidget* ownerOf(const Question& question) const;
    QString openFile(Question& question, QWidget* owner);
    QString saveFile(Question& question, QWidget* owner);
    QString startFolder() const;
    void rememberFolderOf(const QString& path);

    QWidget* parent_;
    QSettings* settings_ = nullptr;
};
