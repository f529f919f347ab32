#include "tests/transfer/DataMoveFixture.h"

#include "data/Decimal.h"
#include "data/FieldConvert.h"
#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "grids/RecordGrid.h"
#include "settings/IntegerSpinEdit.h"
#include "settings/uSetup.h"

#include <QAction>
#include <QComboBox>

void DataMoveFixture::execWork(const QStringList& statements) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("setup"));
    db.SetAliasName(QStringLiteral("WORK"));
    db.Connect();
    for (const QString& sql : statements)
        db.ExecuteStatement(sql);
}

void DataMoveFixture::openWorkTables(const QString& source, const QString& target) {
    connectSource(QStringLiteral("WORK"));
    openSource(source);
    connectTarget(QStringLiteral("WORK"));
    openTarget(target);
    ASSERT_TRUE(window().tFrom().Active());
    ASSERT_TRUE(window().tTo().Active());
}

void DataMoveFixture::selectSourceRows(const QList<int>& positions) {
    RowSelection& selection = c().dbgFrom->selection();
    TTable& table = window().tFrom();
    if (positions.isEmpty()) {
        selection.SelectAll();
        return;
    }
    for (int position : positions)
        selection.setSelected(table.BookmarkAt(position), true);
}

void DataMoveFixture::setOptions(bool noTypeComparison, bool autoCommit, int interval) {
    TfSetup* setup = window().fSetup();
    setup->findChild<QCheckBox*>(QStringLiteral("cbNoComp"))->setChecked(noTypeComparison);
    setup->findChild<QCheckBox*>(QStringLiteral("cbAutoCommit"))->setChecked(autoCommit);
    setup->findChild<IntegerSpinEdit*>(QStringLiteral("eAutoCommit"))->setValue(interval);
    ASSERT_EQ(setup->autoCommitInterval(), interval);
}

void DataMoveFixture::runMove(std::function<int(QObject&)> mapping) {
    prompts().answerDialog(mapping ? std::move(mapping) : [](QObject&) { return 1; });
    a().aDataLoad->trigger();
}

QVariantList DataMoveFixture::targetColumn(const QString& field) {
    TTable& table = window().tTo();
    const int index = table.RequireField(field)->Index();
    QVariantList values;
    for (qint64 i = 0; i < table.RecordCount(); ++i)
        values.append(table.RowAt(i).value(index));
    return values;
}

QVariantList DataMoveFixture::storedColumn(const QString& alias, const QString& table,
                                           const QString& field) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("check"));
    db.SetAliasName(alias);
    TTable t;
    t.SetDatabaseName(QStringLiteral("check"));
    t.SetTableName(table);
    t.OpenTable();
    QVariantList values;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext())
        values.append(t.RequireField(field)->Value());
    return values;
}

QList<Row> DataMoveFixture::storedValues(const QString& alias, const QString& table) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("compare"));
    db.SetAliasName(alias);
    db.LoginPrompt = false;  // the alias's own user, on a server that trusts loopback
    TTable t;
    t.SetDatabaseName(QStringLiteral("compare"));
    t.SetTableName(table);
    t.OpenTable();
    QList<Row> rows;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
        Row row;
        for (int i = 0; i < t.NumberOfFields(); ++i) {
            const TField* field = t.FieldAt(i);
            QVariant value = field->Value();
            QString decimal;
            if (KindOf(field->FieldType()) == FieldKind::Bcd &&
                Decimal::Normalize(value.toString(), decimal))
                value = Decimal::WithoutTrailingZeros(decimal);
            if (value.typeId() == QMetaType::QString && field->FieldType() == ftFixedChar)
                value = value.toString().trimmed();
            row.append(value);
        }
        rows.append(row);
    }
    return rows;
}
