#include "versionladder.h"

#include <QtTest>

#include <array>
#include <vector>

namespace {
constexpr NvStatus Ok = NvApiStatus::Ok;
constexpr NvStatus Refused = NvApiStatus::IncompatibleStructVersion;
constexpr NvStatus Error = NvApiStatus::Error;

/// A driver call that answers the scripted statuses in turn and notes the words it got.
struct ScriptedCall
{
    std::vector<NvStatus> answers;
    std::vector<NvU32> words;

    NvStatus operator()(NvU32 word)
    {
        words.push_back(word);
        return words.size() <= answers.size() ? answers[words.size() - 1] : Error;
    }
};

const std::array<NvU32, 3> Ladder = { 0x30020, 0x20018, 0x10014 };
} // namespace

class TestVersionLadder : public QObject
{
    Q_OBJECT

private slots:
    void stopsAtTheFirstWordTheDriverTakes()
    {
        ScriptedCall call { { Refused, Ok, Ok }, {} };
        const LadderResult result = tryLadder(Ladder, [&](NvU32 w) { return call(w); });
        QVERIFY(result.ok());
        QCOMPARE(result.answered, NvU32(0x20018));
        QCOMPARE(result.tried, std::size_t(2));
        QCOMPARE(call.words, (std::vector<NvU32> { 0x30020, 0x20018 }));
    }

    void anyFailureStepsDownByDefault()
    {
        ScriptedCall call { { Error, NvApiStatus::NotSupported, Ok }, {} };
        const LadderResult result = tryLadder(Ladder, [&](NvU32 w) { return call(w); });
        QVERIFY(result.ok());
        QCOMPARE(result.answered, NvU32(0x10014));
        QCOMPARE(call.words, (std::vector<NvU32>(Ladder.begin(), Ladder.end())));
    }

    void allFailingGivesTheLastStatus()
    {
        ScriptedCall call { { Refused, Refused, NvApiStatus::InvalidArgument }, {} };
        const LadderResult result = tryLadder(Ladder, [&](NvU32 w) { return call(w); });
        QVERIFY(!result.ok());
        QCOMPARE(result.status, NvApiStatus::InvalidArgument);
        QCOMPARE(result.answered, NvU32(0));
        QCOMPARE(result.tried, Ladder.size());
    }

    void theRuleCanEndTheWalkEarly()
    {
        // Only a refusal of the newest word leads down the ladder.
        const auto onlyRefusalFirst
            = [](NvStatus status, std::size_t index) { return index > 0 || status == Refused; };
        ScriptedCall stops { { NvApiStatus::NotSupported, Ok }, {} };
        LadderResult result = tryLadder(
            Ladder, [&](NvU32 w) { return stops(w); }, onlyRefusalFirst);
        QCOMPARE(result.status, NvApiStatus::NotSupported);
        QCOMPARE(result.tried, std::size_t(1));

        ScriptedCall goesOn { { Refused, Error, Ok }, {} };
        result = tryLadder(
            Ladder, [&](NvU32 w) { return goesOn(w); }, onlyRefusalFirst);
        QVERIFY(result.ok());
        QCOMPARE(result.tried, std::size_t(3));
    }

    void anEmptyLadderFails()
    {
        ScriptedCall call { { Ok }, {} };
        const LadderResult result = tryLadder(std::array<NvU32, 0> {}, [&](NvU32 w) { return call(w); });
        QVERIFY(!result.ok());
        QCOMPARE(result.status, NvApiStatus::Error);
        QVERIFY(call.words.empty());
    }
};

QTEST_GUILESS_MAIN(TestVersionLadder)
#include "tst_versionladder.moc"
