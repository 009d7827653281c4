// The kit's icon reader: every bundled icon drawn by it looks like Qt's SVG renderer's drawing of
// the same file, and broken path data ends cleanly with what was read before the fault.

#include "kit/IconDrawing.h"
#include "kit/Theme.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>

using namespace brevant;

namespace {

QImage canvas(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

struct Difference {
    double mean = 0; // per pixel, in alpha levels (0–255)
    double blob = 0; // the largest mean over a 3×3 square: a misplaced or missing piece, not an edge
};

Difference alphaDifference(const QImage& a, const QImage& b) {
    const int n = a.width();
    std::vector<int> d(size_t(n) * n);
    double sum = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            sum += d[size_t(y) * n + x] = std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
    Difference result{sum / (n * n), 0};
    for (int y = 1; y + 1 < n; ++y)
        for (int x = 1; x + 1 < n; ++x) {
            int box = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i)
                    box += d[size_t(y + j) * n + x + i];
            result.blob = std::max(result.blob, box / 9.0);
        }
    return result;
}

} // namespace

class IconDrawingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::ensureAssets(); }

    void everyBundledIconMatchesTheSvgRenderer() {
        const QStringList files = QDir(QStringLiteral(":/brevant/icons")).entryList();
        QVERIFY(files.size() >= 30);
        for (const QString& file : files) {
            const QString name = file.chopped(4);
            const IconDrawing& drawing = IconDrawing::bundled(name);
            QVERIFY2(!drawing.isEmpty(), qPrintable(name));
            QCOMPARE(drawing.viewBox(), QRectF(0, 0, 16, 16));
            QSvgRenderer reference(QStringLiteral(":/brevant/icons/") + file);
            for (const int size : {16, 24, 48}) {
                QImage ours = canvas(size);
                QImage theirs = canvas(size);
                {
                    QPainter p(&ours);
                    p.setRenderHint(QPainter::Antialiasing);
                    drawing.paint(p, QRectF(0, 0, size, size));
                    QPainter q(&theirs);
                    q.setRenderHint(QPainter::Antialiasing);
                    reference.render(&q, QRectF(0, 0, size, size));
                }
                const Difference diff = alphaDifference(ours, theirs);
                const QByteArray where = QStringLiteral("%1 at %2 px: mean %3, blob %4")
                                             .arg(name)
                                             .arg(size)
                                             .arg(diff.mean)
                                             .arg(diff.blob)
                                             .toUtf8();
                QVERIFY2(diff.mean < 1.0 && diff.blob < 24, where.constData());
            }
        }
    }

    void fillRuleAndOutsideMarkup() {
        const IconDrawing drawing = IconDrawing::parse(
            "<?xml version='1.0'?><svg xmlns='http://www.w3.org/2000/svg' viewBox='0,0 32 24'>"
            "<g><path fill-rule='evenodd' d='M0 0h8v8H0z'/></g><path fill='none' d='M0 0h1v1z'/>"
            "<path d='M0 0h8v8H0z'/><path d=''/></svg>");
        QCOMPARE(drawing.viewBox(), QRectF(0, 0, 32, 24));
        QCOMPARE(drawing.shapes().size(), size_t(2));
        QCOMPARE(drawing.shapes()[0].rule, Qt::OddEvenFill);
        QCOMPARE(drawing.shapes()[1].rule, Qt::WindingFill);
        // Without a viewBox the size stands for it; a file cut short keeps the shapes before the cut.
        const IconDrawing cut =
            IconDrawing::parse("<svg width='10' height='20'><path d='M0 0h1v1z'/><path d=");
        QCOMPARE(cut.viewBox(), QRectF(0, 0, 10, 20));
        QCOMPARE(cut.shapes().size(), size_t(1));
        QVERIFY(IconDrawing::parse("<svg").isEmpty());
        QVERIFY(IconDrawing::bundled(QStringLiteral("no-such-icon")).isEmpty());
    }

    // Not in the bundled icons, so checked here: T reflects the previous control point.
    void quadratics() {
        QPainterPath expected;
        expected.moveTo(0, 0);
        expected.quadTo(4, 8, 8, 0);
        expected.quadTo(12, -8, 16, 0);
        expected.lineTo(16, 1);
        expected.quadTo(16, 1, 20, 4);
        QCOMPARE(IconDrawing::parsePathData(u"M0 0Q4 8 8 0t8 0L16 1T20 4"), expected);
    }

    void malformedDataKeepsWhatWasRead_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("elements");
        QTest::newRow("truncated pair") << "M0 0L10 0L10 10 L5" << 3;
        QTest::newRow("unknown command") << "M0 0L10 0 X 5 5 L0 10" << 2;
        QTest::newRow("garbage") << "M0 0L10 0#%!" << 2;
        QTest::newRow("no moveto first") << "L1 1 M0 0" << 0;
        QTest::newRow("bad arc flag") << "M0 0L1 0a1 1 0 2 1 1 1" << 2;
        QTest::newRow("truncated curve") << "M0 0C1 1 2 2" << 1;
        QTest::newRow("exponent without digits") << "M0 0L1e 2" << 1;
        QTest::newRow("overflowing number") << "M0 0L1e999 1" << 1;
        QTest::newRow("out of range") << "M0 0L1e30 1L2 2" << 1;
        QTest::newRow("not a number") << "M0 0Lnan 1" << 1;
        QTest::newRow("huge arc radius") << "M0 0A1e30 1e30 0 0 1 5 5" << 1;
        QTest::newRow("non-Latin text") << QStringLiteral("M0 0L1 1\u2212L2 2") << 2;
        QTest::newRow("spaced out") << " M 0,0 L 1 , 1 " << 2;
    }
    void malformedDataKeepsWhatWasRead() {
        QFETCH(QString, data);
        QFETCH(int, elements);
        QCOMPARE(IconDrawing::parsePathData(data).elementCount(), elements);
    }

    void everyTruncationAndHugeCountsEndCleanly() {
        const QString full = QStringLiteral("M8 15A7 7 0 1 1 8 1a7 7 0 0 1 0 14zm0 1A8 8 0 1 0 8 0"
                                            "c1.5.5-1-2 3e-1 4E+0s1 1 2 2q1 1 2 2t3 3h1v1H0V0z");
        const int fullCount = IconDrawing::parsePathData(full).elementCount();
        for (qsizetype n = 0; n <= full.size(); ++n)
            QVERIFY(IconDrawing::parsePathData(QStringView(full).left(n)).elementCount() <= fullCount);

        // Long data is read in one pass: 200,000 segments, and an arc whose radii must grow a lot.
        QString many = QStringLiteral("M0 0");
        for (int i = 0; i < 100000; ++i)
            many += QStringLiteral("l1 1a.001 .001 0 1 0 1 0");
        const QPainterPath path = IconDrawing::parsePathData(many);
        QVERIFY(path.elementCount() > 200000);
        QCOMPARE(path.currentPosition(), QPointF(200000, 100000));
    }
};

QTEST_MAIN(IconDrawingTest)
#include "IconDrawingTest.moc"
