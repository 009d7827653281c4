// Thousands of mutated /status and /vhosts bodies through the envelope decoder: each one either
// decodes to a record that survives a round trip, or fails with a readable text. Deterministic.

#include "RequestLayer.h"
#include "TestSupport.h"

#include <QTest>

#include <random>

using namespace brevant;

namespace {

QByteArray mutate(QByteArray body, std::mt19937& rng) {
    static const QByteArray pieces[] = {"{",   "}",     "[",       "]",    "\"",    ",",
                                        ":",   "null",  "true",    "-1",   "1e400", "9223372036854775808",
                                        "0.5", "\"x\"", "\\u0000", "\xff", "{}",    "[]"};
    auto pick = [&](qsizetype n) {
        return std::uniform_int_distribution<qsizetype>(0, std::max<qsizetype>(0, n - 1))(rng);
    };
    const int edits = 1 + int(pick(4));
    for (int e = 0; e < edits && !body.isEmpty(); ++e) {
        const qsizetype at = pick(body.size());
        switch (pick(6)) {
        case 0: // flip a byte
            body[at] = char(body[at] ^ (1 << pick(8)));
            break;
        case 1: // drop a stretch
            body.remove(at, 1 + pick(16));
            break;
        case 2: // insert a token
            body.insert(at, pieces[pick(std::size(pieces))]);
            break;
        case 3: // repeat a stretch
            body.insert(at, body.mid(at, 1 + pick(32)));
            break;
        case 4: // truncate
            body.truncate(at);
            break;
        default: // replace a value with a token of another type
            body.replace(at, 1 + pick(4), pieces[pick(std::size(pieces))]);
        }
    }
    return body;
}

template <class T>
void exercise(const QByteArray& seed, int rounds, std::mt19937& rng, int& decoded, int& failed) {
    for (int i = 0; i < rounds; ++i) {
        const QByteArray body = mutate(seed, rng);
        const Result<T> r = decodeEnvelope<T>(body);
        if (r.ok()) {
            ++decoded;
            const auto again = json::decode<T>(json::encode(r.value()).value_or(QByteArray()));
            QVERIFY2(again && *again == r.value(), body.constData());
        } else {
            ++failed;
            QVERIFY(!r.error().description.isEmpty());
        }
    }
}

} // namespace

class DecodeFuzzTest : public QObject {
    Q_OBJECT
private slots:
    void mutatedBodiesNeverCrashOrCorrupt() {
        std::mt19937 rng(20261209);
        const QByteArray status = "{\"success\":true,\"data\":" + test::sevenServicesJson() + "}";
        QByteArray vhosts = "{\"success\":true,\"data\":{\"projects\":[";
        for (int i = 0; i < 4; ++i) {
            if (i)
                vhosts += ',';
            vhosts += "{\"id\":\"p" + QByteArray::number(i) +
                      "\",\"name\":\"site\",\"domain\":\"site.test\",\"documentRoot\":\"/w/site\","
                      "\"webServer\":\"nginx\",\"phpVersion\":\"8.3\",\"sslEnabled\":true,\"databaseName\":"
                      "\"db\",\"created_at\":\"2026-01-01T00:00:00Z\","
                      "\"updated_at\":null}";
        }
        vhosts += "],\"count\":4}}";

        int decoded = 0, failed = 0;
        exercise<StatusData>(status, 2500, rng, decoded, failed);
        exercise<ProjectListData>(vhosts, 2500, rng, decoded, failed);
        // Both outcomes must occur, or the mutations are not exercising anything.
        QVERIFY2(decoded > 50 && failed > 1000,
                 qPrintable(QStringLiteral("%1 decoded, %2 failed").arg(decoded).arg(failed)));
    }
};

QTEST_GUILESS_MAIN(DecodeFuzzTest)
#include "DecodeFuzzTest.moc"
