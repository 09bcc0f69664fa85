// Topic splitting and routing of the message handler.
#include "mqtt/TopicPieces.h"

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
