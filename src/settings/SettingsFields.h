#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class ClickableLabel;
class ParameterField;
class QWidget;

// Every parameter field of the main window with its label, built from the catalogue onto the
// "Information" frame and the six settings tabs. Rows are kept in twips, the unit the read
// sequence moves fields in.
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

    static int pixelsOf(int twips) { return twips * 3 / 40 - 8; }

signals:
    void fieldClicked(const QString& fieldName);
    void labelClicked(const QString& fieldName);

private:
    QHash<QString, ParameterField*> fields_;
    QHash<QString, ClickableLabel*> labels_;
    QHash<QString, int> rows_;
};
