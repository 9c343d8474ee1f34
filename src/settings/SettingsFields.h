#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class ClickableLabel;
class ParameterField;
class QWidget;

// Every parameter field of the main window with its label, built from the catalogue onto the
// "Information" frame and the six settings tabs. Rows are kept in twips, the unit the read
// sequence moves fields in; they become pixels through the font's line spacing, so that a
// larger font spreads the rows as it grows the text. Each frame is at least as large as its
// fields, and the keyboard goes through the fields frame by frame, top to bottom.
class SettingsFields : public QObject {
    Q_OBJECT
public:
    SettingsFields(QWidget* infoFrame, const QList<QWidget*>& tabs, QObject* parent = nullptr);

    ParameterField* field(const QString& name) const;
    ClickableLabel* label(const QString& fieldName) const;
    QString text(const QString& fieldName) const;
    void setText(const QString& fieldName, const QString& text);

    int rowOf(const QString& fieldName) const;
    // Moves the field and its label to a row, given in twips from the frame's top.
    void placeAt(const QString& fieldName, int twips);
    // Field and label shown and enabled, or hidden and disabled.
    void setPresent(const QString& fieldName, bool present);
    void setUsable(const QString& fieldName, bool usable);
    // Before a read has found the radio's role: every field whose change depends on it is
    // disabled, as is the software RTU, which the read enables; every other field is usable.
    void awaitRole();
    // The keyboard's way: from `before` through the "Information" fields, then to `tabBar`
    // and through each tab's fields; kept so as fields move.
    void chainFocus(QWidget* before, QWidget* tabBar);
    // The fields of one frame in the keyboard's order.
    QList<ParameterField*> inFocusOrder(const QWidget* frame) const;

    // A row or length in twips as pixels at the application's font.
    static int pixelsOf(int twips);
    // Pixels per design pixel (a fifteenth of a twip at the font the layout was drawn for).
    static double fontScale();

signals:
    void fieldClicked(const QString& fieldName);
    void labelClicked(const QString& fieldName);

private:
    void fitFrame(QWidget* frame);
    void orderFocus();

    QList<QWidget*> frames_;
    QWidget* focusBefore_ = nullptr;
    QWidget* tabBar_ = nullptr;
    QHash<QString, ParameterField*> fields_;
    QHash<QString, ClickableLabel*> labels_;
    QHash<QString, int> rows_;
};
