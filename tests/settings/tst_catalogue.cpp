#include "Harness.h"
#include "core/ClickableLabel.h"
#include "core/ParameterField.h"
#include "settings/Catalogue.h"
#include "settings/SettingsFields.h"
#include <QGroupBox>

#include <QAccessible>
#include <QTest>

using namespace Catalogue;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void roleComparesTheWholeTextIgnoringCase() {
        QCOMPARE(roleOf("MODE M"), Role::Master);
        QCOMPARE(roleOf("mode m"), Role::Master);
        QCOMPARE(roleOf("MODE R"), Role::Remote);
        QCOMPARE(roleOf("Mode X"), Role::Extension);
        QCOMPARE(roleOf("MODE M "), Role::None);
        QCOMPARE(roleOf("n/a"), Role::None);
        QCOMPARE(roleOf(""), Role::None);
    }

    void versionGates() {
        auto has = [](const char* field, int version) { return admits(*byField(field), version); };
        for (const char* field : {"XMIN", "XMAX"}) {
            QVERIFY(has(field, 199));
            QVERIFY(!has(field, 200));
        }
        for (const char* field : {"XPRI", "XRSSI", "XMAP", "DTYPE", "DLINK", "SoftRTU"}) {
            QVERIFY(!has(field, 199));
            QVERIFY(has(field, 200));
        }
        QVERIFY(!has("RXD", 299) && !has("CSADDR", 299) && has("CSADDR", 300));
        QVERIFY(!has("LPM", 319) && !has("LPMHOLD", 319) && has("LPMHOLD", 320));
        QVERIFY(has("PowerLevel", 0));
    }

    void lookupsAgree() {
        QCOMPARE(all().size(), 41u);
        for (const Parameter& p : all()) {
            QCOMPARE(byField(p.field), &p);
            if (*p.keyword)
                QCOMPARE(byKeyword(QString(p.keyword).toUpper()), &p);
        }
        QVERIFY(!byKeyword(""));
        QVERIFY(!byKeyword("bogus"));
        QCOMPARE(QString(byKeyword("amask")->prefix), QString("MASK:"));
        QCOMPARE(byKeyword("hoptime")->rule, ChangeRule::MasterOnly);
    }

    void everyFieldIsOnItsFrameWithItsLabel() {
        Harness h;
        SettingsFields& fields = h.window->fields();
        for (const Parameter& p : all()) {
            ParameterField* field = h.window->findChild<ParameterField*>(p.field);
            QVERIFY2(field, p.field);
            QCOMPARE(field, fields.field(p.field));
            QCOMPARE(field->toolTip(), QString(p.tip));
            QCOMPARE(field->text(), startingText(p));
            auto* label = h.window->findChild<ClickableLabel*>(p.labelName);
            QVERIFY2(label, p.labelName);
            QCOMPARE(label->text(), QString(p.caption));
            QCOMPARE(label->buddy(), field);
            QCOMPARE(label->toolTip(), QString("Click for more Information"));
            // Assistive technology (and an outside driver) finds the field by its label.
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(field);
            QVERIFY(access);
            QCOMPARE(access->text(QAccessible::Name), QString(p.caption));
            QWidget* frame = p.place == InfoFrame ? static_cast<QWidget*>(h.window->InfoFrame)
                                                  : h.window->NetSet.at(p.place - 1);
            QCOMPARE(field->parentWidget(), frame);
        }
        QCOMPARE(fields.text("OwnerName"), QString());
        QCOMPARE(fields.text("XMAP"), QString("Click to view/change"));
        QCOMPARE(fields.text("PowerLevel"), QString("n/a"));
        // Before a read has found the radio's role, one rule holds for every shown field: a
        // change that depends on the role waits, disabled; and the pointer always says which.
        for (const Parameter& p : all()) {
            const ParameterField* field = fields.field(p.field);
            if (field->isHidden())
                continue;
            const bool waits =
                p.rule == ChangeRule::MasterOnly || p.rule == ChangeRule::NotAtMaster ||
                p.rule == ChangeRule::MasterOrExtension || QLatin1String(p.field) == "SoftRTU";
            QCOMPARE(field->isEnabled(), !waits);
            QCOMPARE(field->cursor().shape(), waits ? Qt::ForbiddenCursor : Qt::ArrowCursor);
        }
        QVERIFY(!fields.field("CSADDR")->isEnabled() && !fields.field("SleepMode")->isEnabled());
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
