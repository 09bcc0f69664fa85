// The topic forms: how they are made, split and routed, for the handler,
// the views and the demo gateway alike.
#include "mqtt/Topics.h"

#include <gtest/gtest.h>

#include <string>

using Kind = TopicRoute::Kind;

namespace {

std::vector<std::string> pieces(std::string_view text, char sep, size_t max = SIZE_MAX) {
    std::vector<std::string> out;
    for (auto p : splitPieces(text, sep, max)) {
        out.emplace_back(p);
    }
    return out;
}

}  // namespace

TEST(SplitPieces, BehavesLikeStrtok) {
    EXPECT_EQ(pieces("/a//b/", '/'), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(pieces("a/b/c", '/'), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(pieces("a/b/c", '/', 2), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(pieces("", '/').empty());
    EXPECT_TRUE(pieces("////", '/').empty());
    EXPECT_EQ(pieces(";;a;;b;", ';'), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(pieces("single", '/'), (std::vector<std::string>{"single"}));
}

TEST(RouteTopic, TransUpAndCommStatus) {
    EXPECT_EQ(routeTopic("gw01/transup").kind, Kind::TransUp);
    EXPECT_EQ(routeTopic("gw01/transup/extra").kind, Kind::TransUp) << "later pieces are not looked at";
    EXPECT_EQ(routeTopic("//gw01///transup//").kind, Kind::TransUp);

    TopicRoute r = routeTopic("7;gw01/CommStatus");
    EXPECT_EQ(r.kind, Kind::CommStatus);
    EXPECT_EQ(r.channelKey, "7");
    r = routeTopic("/7;gw01/CommStatus");
    EXPECT_EQ(r.kind, Kind::CommStatus);
    EXPECT_EQ(r.channelKey, "7");
    r = routeTopic(";;12;gw01/CommStatus");
    EXPECT_EQ(r.channelKey, "12");
    r = routeTopic("7/CommStatus");  // no ';' at all: the whole piece is the key
    EXPECT_EQ(r.channelKey, "7");
}

TEST(RouteTopic, EverythingElseIsIgnored) {
    for (const char* topic : {"", "/", "////", "CommStatus", "/CommStatus/", "transup", "a/b", "gw01/Transup",
                              "gw01/transupx", "gw01/commstatus", "7;gw01/CommStatusx", ";;;/CommStatus",
                              "transup/gw01"}) {
        EXPECT_EQ(routeTopic(topic).kind, Kind::Ignore) << '"' << topic << '"';
    }
}

TEST(RouteTopic, OddBytesAndLengthsAreHandled) {
    std::string longKey(100000, 'k');
    TopicRoute r = routeTopic(longKey + ";c/CommStatus");
    EXPECT_EQ(r.kind, Kind::CommStatus);
    EXPECT_EQ(r.channelKey.size(), longKey.size());

    const char raw[] = "\xff\x01\x80;\xfe/CommStatus";
    std::string binary(raw, sizeof raw - 1);
    r = routeTopic(binary);
    EXPECT_EQ(r.kind, Kind::CommStatus);
    EXPECT_EQ(r.channelKey, std::string("\xff\x01\x80", 3));

    std::string manySlashes(50000, '/');
    EXPECT_EQ(routeTopic(manySlashes + "x" + manySlashes + "transup").kind, Kind::TransUp);
}

TEST(CommStatusChannel, TakesTheKeyBeforeTheSemicolon) {
    EXPECT_EQ(commStatusChannel("7;gw01/CommStatus"), "7");
    EXPECT_EQ(commStatusChannel("/7;gw01/CommStatus"), "7");
    EXPECT_EQ(commStatusChannel("//12;gw01//CommStatus/x"), "12");
    EXPECT_EQ(commStatusChannel("7/CommStatus"), "7");
    EXPECT_EQ(commStatusChannel(";;7;gw/CommStatus"), "7");
    EXPECT_EQ(commStatusChannel("CommStatus"), "");
    EXPECT_EQ(commStatusChannel("7;gw01/"), "");
    EXPECT_EQ(commStatusChannel(";/CommStatus"), "");
    EXPECT_EQ(commStatusChannel(""), "");
    EXPECT_EQ(commStatusChannel("7;gw01/transup"), "") << "another kind of topic names no channel state";
}

TEST(IsTransupOf, BelongsToTheChannelOnlyWhenBothPiecesMatch) {
    EXPECT_TRUE(isTransupOf("gw01/transup", "gw01"));
    EXPECT_TRUE(isTransupOf("/gw01//transup/extra", "gw01"));  // split as the handler splits
    EXPECT_FALSE(isTransupOf("gw02/transup", "gw01"));
    EXPECT_FALSE(isTransupOf("gw01/CommStatus", "gw01"));
    EXPECT_FALSE(isTransupOf("gw01", "gw01"));
    EXPECT_FALSE(isTransupOf("gw011/transup", "gw01"));
    EXPECT_FALSE(isTransupOf("gw01/transupx", "gw01"));
    EXPECT_FALSE(isTransupOf("/transup", ""));
}

TEST(TransdownCommunication, OnlyThreeLevelTransdownTopicsNameAChannel) {
    EXPECT_EQ(transdownCommunication("modbus/gw01/transdown"), "gw01");
    EXPECT_EQ(transdownCommunication("/gw01/transdown"), "gw01");
    EXPECT_EQ(transdownCommunication("modbus//transdown"), "");
    EXPECT_EQ(transdownCommunication("modbus/gw01/transup"), "");
    EXPECT_EQ(transdownCommunication("a/modbus/gw01/transdown"), "");
    EXPECT_EQ(transdownCommunication("transdown"), "");
    EXPECT_EQ(transdownCommunication("modbus/gw01/transdownx"), "");
}

// What the client subscribes to and the gateway publishes must read back as
// the channel it was made for, including the odd ids the tables may hold.
TEST(MadeTopics, ReadBackAsTheChannelTheyWereMadeFor) {
    EXPECT_EQ(transdownTopic("P1", "gw01"), "P1/gw01/transdown");
    EXPECT_EQ(transdownTopic("", "gw01"), "");
    EXPECT_EQ(transdownTopic("P1", ""), "");
    EXPECT_EQ(transupTopic("gw01"), "gw01/transup");
    EXPECT_EQ(commStatusTopic("7", "gw01"), "7;gw01/CommStatus");
    EXPECT_EQ(commStatusTopic("7", ""), "7;/CommStatus");

    for (const char* communication : {"gw01", "COM3", "192.168.1.20:502", "\xc4\xe3"}) {
        EXPECT_TRUE(isTransupOf(transupTopic(communication), communication)) << communication;
        EXPECT_EQ(transdownCommunication(transdownTopic("modbus", communication)), communication);
        for (const char* id : {"7", "0f3a9c2e5b7d41e8a6c2d9b0e1f4a7c3"}) {
            EXPECT_EQ(commStatusChannel(commStatusTopic(id, communication)), id) << id << ' ' << communication;
        }
    }
    EXPECT_EQ(commStatusChannel(commStatusTopic("7", "")), "7") << "the fault lookup's own posts carry no communication";
}
