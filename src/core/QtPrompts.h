#pragma once

#include "Prompts.h"

class QWidget;

// The prompts as the windows show them: message boxes, input and file dialogs.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer message(const QString& text, const QString& caption, Icon icon, Buttons buttons,
                   std::optional<Answer> defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& initial) override;
    QString openFile(const QString& title, const QString& filter, const QString& fileName,
                     bool allowCreate) override;
    QString saveFile(const QString& title, const QString& filter, const QString& fileName,
                     const QString& defaultSuffix) override;
    void beep() override;

private:
    QWidget* parent_;
};
