// The kit's identity list model: which model signals a new list turns into, with Qt's model
// tester watching every step.

#include "kit/IdentityListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;

namespace {
struct Item {
    QString id;
    int value = 0;
    bool operator==(const Item&) const = default;
};

class Model : public IdentityListModel<Item> {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return item(index.row()).id + QLatin1Char('=') + QString::number(item(index.row()).value);
    }

protected:
    QString identity(const Item& i) const override { return i.id; }
};

QList<Item> items(const char* ids, int value = 0) {
    QList<Item> out;
    for (const char* c = ids; *c; ++c)
        out.push_back({QString(QLatin1Char(*c)), value});
    return out;
}

QString shown(const Model& m) {
    QString out;
    for (int row = 0; row < m.rowCount(); ++row)
        out += m.index(row).data().toString().left(1);
    return out;
}
} // namespace

class ListModelTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Model> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::unique_ptr<QSignalSpy> inserted, removed, changed, reset;

    // Counts of the signals the last sync sent: insertions, removals, changes, resets.
    QList<qsizetype> sync(const QList<Item>& next) {
        for (auto* spy : {inserted.get(), removed.get(), changed.get(), reset.get()})
            spy->clear();
        model->sync(next);
        return {inserted->size(), removed->size(), changed->size(), reset->size()};
    }

private slots:
    void init() {
        model = std::make_unique<Model>();
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        inserted = std::make_unique<QSignalSpy>(model.get(), &QAbstractItemModel::rowsInserted);
        removed = std::make_unique<QSignalSpy>(model.get(), &QAbstractItemModel::rowsRemoved);
        changed = std::make_unique<QSignalSpy>(model.get(), &QAbstractItemModel::dataChanged);
        reset = std::make_unique<QSignalSpy>(model.get(), &QAbstractItemModel::modelReset);
    }
    void cleanup() {
        inserted.reset();
        removed.reset();
        changed.reset();
        reset.reset();
        tester.reset();
        model.reset();
    }

    void changesByIdentity() {
        QCOMPARE(sync(items("abcdef")), (QList<qsizetype>{1, 0, 0, 0}));
        // An unchanged list says nothing at all.
        QCOMPARE(sync(items("abcdef")), (QList<qsizetype>{0, 0, 0, 0}));
        // Two runs removed and one inserted in between: one signal per run.
        QCOMPARE(sync(items("axyzdf")), (QList<qsizetype>{1, 2, 0, 0}));
        QCOMPARE(shown(*model), QStringLiteral("axyzdf"));
        QCOMPARE(inserted->at(0).at(1).toInt(), 1);
        QCOMPARE(inserted->at(0).at(2).toInt(), 3);
        // Values changed in place: one dataChanged per run of neighbours.
        QList<Item> next = items("axyzdf");
        next[1].value = next[2].value = next[5].value = 7;
        QCOMPARE(sync(next), (QList<qsizetype>{0, 0, 2, 0}));
        QCOMPARE(changed->at(0).at(0).toModelIndex().row(), 1);
        QCOMPARE(changed->at(0).at(1).toModelIndex().row(), 2);
        QCOMPARE(model->index(5).data().toString(), QStringLiteral("f=7"));
        // Removed and changed at once.
        next.removeAt(0);
        next[0].value = 8;
        QCOMPARE(sync(next), (QList<qsizetype>{0, 1, 1, 0}));
        QCOMPARE(model->items(), next);
    }

    void reorderOrNothingSharedResets() {
        sync(items("abc"));
        QCOMPARE(sync(items("cab")), (QList<qsizetype>{0, 0, 0, 1}));
        QCOMPARE(shown(*model), QStringLiteral("cab"));
        QCOMPARE(sync(items("xy")), (QList<qsizetype>{0, 0, 0, 1}));
        QCOMPARE(sync({}), (QList<qsizetype>{0, 1, 0, 0}));
        QCOMPARE(model->rowCount(), 0);
    }

    void repeatedIdentities() {
        // Rows that share an identity are told apart by their order.
        sync(items("aab"));
        QCOMPARE(sync(items("aaab")), (QList<qsizetype>{1, 0, 0, 0}));
        QCOMPARE(inserted->at(0).at(1).toInt(), 2);
        QCOMPARE(sync(items("ab")), (QList<qsizetype>{0, 1, 0, 0}));
        QCOMPARE(shown(*model), QStringLiteral("ab"));
    }
};

QTEST_MAIN(ListModelTest)
#include "ListModelTest.moc"
