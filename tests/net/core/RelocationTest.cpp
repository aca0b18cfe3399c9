#include <gtest/gtest.h>

#include "net/core/HttpRelocation.h"

namespace sv::net {
namespace {

HttpTarget Direct(const char* url) { return PlanRequest(url).value(); }

TEST(Relocation, OnlyThreeHundredsAreFollowed) {
  EXPECT_TRUE(ShouldFollowLocation(301, HttpMethod::Get, true));
  EXPECT_TRUE(ShouldFollowLocation(307, HttpMethod::Post, true));
  EXPECT_FALSE(ShouldFollowLocation(200, HttpMethod::Post, true));
  EXPECT_FALSE(ShouldFollowLocation(201, HttpMethod::Get, true));
  EXPECT_FALSE(ShouldFollowLocation(404, HttpMethod::Get, true));
  EXPECT_FALSE(ShouldFollowLocation(302, HttpMethod::Put, true));
  EXPECT_FALSE(ShouldFollowLocation(302, HttpMethod::Get, false));
}

TEST(Relocation, RelativeAndRootedValuesKeepTheServer) {
  const HttpTarget current = Direct("http://user:pw@h:8080/dir/page.htm");
  const auto relative = ResolveLocation(current, "next.htm#part");
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->target.path, "/dir/next.htm");
  EXPECT_EQ(relative->location, "http://h:8080/dir/next.htm");
  EXPECT_EQ(relative->target.docName, "next.htm");
  EXPECT_TRUE(relative->sameConnection);
  EXPECT_EQ(relative->target.user, "user");

  const auto rooted = ResolveLocation(current, "/other?q=1");
  ASSERT_TRUE(rooted);
  EXPECT_EQ(rooted->target.path, "/other?q=1");
  EXPECT_EQ(rooted->location, "http://h:8080/other?q=1");
  EXPECT_FALSE(rooted->credentialsCleared);
}

TEST(Relocation, CredentialsNeverFollowToAnotherServer) {
  const HttpTarget current = Direct("http://user:pw@a.example:8080/p");
  const auto other = ResolveLocation(current, "http://b.example:8081/q");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->target.hostName, "b.example");
  EXPECT_EQ(other->target.connectPort, "8081");
  EXPECT_EQ(other->location, "http://b.example:8081/q");
  EXPECT_FALSE(other->sameConnection);
  EXPECT_TRUE(other->credentialsCleared);
  EXPECT_EQ(other->target.user, "");
  EXPECT_EQ(other->target.password, "");

  // Another port on the same host is another server too.
  EXPECT_TRUE(ResolveLocation(current, "http://a.example:9/q")->credentialsCleared);
  EXPECT_TRUE(ResolveLocation(current, "https://a.example:8080/q")->credentialsCleared);
  // The same server, named in another case, keeps them.
  const auto same = ResolveLocation(current, "HTTP://A.EXAMPLE:8080/q");
  EXPECT_FALSE(same->credentialsCleared);
  EXPECT_EQ(same->target.user, "user");
  // A value with both credentials brings its own.
  const auto own = ResolveLocation(current, "http://x:y@b.example/");
  EXPECT_EQ(own->target.user, "x");
  EXPECT_EQ(own->target.password, "y");
  EXPECT_FALSE(own->credentialsCleared);
  EXPECT_EQ(own->target.targetPort, "80");
  EXPECT_EQ(own->location, "http://b.example/");
}

TEST(Relocation, HostileValuesAreRefused) {
  const HttpTarget current = Direct("http://h/p");
  EXPECT_FALSE(ResolveLocation(current, ""));
  EXPECT_FALSE(ResolveLocation(current, "   "));
  EXPECT_FALSE(ResolveLocation(current, "/x\rSet-Cookie: a"));
  EXPECT_FALSE(ResolveLocation(current, "http://h/\n"));
  EXPECT_FALSE(ResolveLocation(current, "/a\x01"));
  EXPECT_FALSE(ResolveLocation(current, "http://h:65616/"));
  EXPECT_FALSE(ResolveLocation(current, "http://h:-1/"));
  EXPECT_FALSE(ResolveLocation(current, "http:///x"));
  EXPECT_TRUE(ResolveLocation(current, "http://h:65535/"));
}

TEST(Relocation, ThroughAProxyTheConnectionStays) {
  const HttpTarget current = PlanRequest("http://a.example/dir/p", "proxy:3128").value();
  const auto rooted = ResolveLocation(current, "/x");
  ASSERT_TRUE(rooted);
  EXPECT_EQ(rooted->target.path, "http://a.example/x");
  EXPECT_EQ(rooted->target.hostName, "proxy");
  EXPECT_TRUE(rooted->sameConnection);
  const auto relative = ResolveLocation(current, "y");
  EXPECT_EQ(relative->target.path, "http://a.example/dir/y");
  const auto absolute = ResolveLocation(current, "http://b.example/z#frag");
  EXPECT_EQ(absolute->target.path, "http://b.example/z");
  EXPECT_EQ(absolute->target.targetHost, "b.example");
  EXPECT_EQ(absolute->target.connectPort, "3128");
  EXPECT_TRUE(absolute->sameConnection);
}

TEST(Relocation, ThroughAProxyARelativeValueNeverNamesAnotherHost) {
  HttpTarget current = PlanRequest("http://u:p@good.example", "proxy:3128").value();
  current.user = "u";
  current.password = "p";
  const auto relative = ResolveLocation(current, "evil.example/steal");
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->target.path, "http://good.example/evil.example/steal");
  EXPECT_EQ(relative->target.targetHost, "good.example");
  EXPECT_FALSE(relative->credentialsCleared);
  EXPECT_EQ(relative->target.user, "u");

  // After an absolute value the next relative one starts from the new root.
  const auto moved = ResolveLocation(current, "http://other.example");
  ASSERT_TRUE(moved);
  EXPECT_TRUE(moved->credentialsCleared);
  const auto after = ResolveLocation(moved->target, "x");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->target.path, "http://other.example/x");
  EXPECT_EQ(after->target.targetHost, "other.example");
  EXPECT_FALSE(after->credentialsCleared);
}

TEST(Relocation, LimiterBoundsEveryCall) {
  RelocationLimiter limiter;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(limiter.CountRelocation());
  EXPECT_FALSE(limiter.CountRelocation());
  EXPECT_EQ(limiter.LocationChangeCurCount(), 6);

  RelocationLimiter generous;
  generous.OnLocationChangeExceeded = [](int) { return true; };
  int steps = 0;
  while (generous.CountRelocation()) ++steps;
  EXPECT_EQ(steps, RelocationLimiter::kMaxRestarts);

  RelocationLimiter mixed;
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(mixed.CountRestart());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(mixed.CountRelocation());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(mixed.CountRestart());
  EXPECT_FALSE(mixed.CountRestart());
  mixed.Reset();
  EXPECT_TRUE(mixed.CountRestart());
}

}  // namespace
}  // namespace sv::net
