#include "link_server/link_list.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QSet>

namespace {

using link_server::LinkList;
using link_server::LinkListProblem;

TEST(LinkList, ReadsEntriesAndSkipsCommentsAndBlanks) {
  const QString text = QStringLiteral(
      "\xFEFF# a list\r\n"
      "\r\n"
      "http://site1.test/a.html|2|http://site1.test/\r\n"
      "   # indented comment\n"
      "  https://site2.test/b.jpg | 0 | https://site2.test/  \n"
      "adult http://night.test/|3|http://night.test/\n"
      "adult\thttp://night.test/x.html|-2|http://night.test/\n"
      "http://site3.test/p|-1|http://site3.test/?a=1|b=2\n");
  QList<LinkListProblem> problems;
  const LinkList list = LinkList::parse(text, &problems);
  QStringList read;
  for (const auto& entry : list.entries())
    read.append((entry.adult ? "adult " : "") + entry.line());
  EXPECT_TRUE(problems.isEmpty());
  // The code is the rest of the line, '|' included.
  EXPECT_EQ(read, (QStringList{"http://site1.test/a.html|2|http://site1.test/",
                               "https://site2.test/b.jpg|0|https://site2.test/",
                               "adult http://night.test/|3|http://night.test/",
                               "adult http://night.test/x.html|-2|http://night.test/",
                               "http://site3.test/p|-1|http://site3.test/?a=1|b=2"}));
}

TEST(LinkList, ReportsMalformedLinesByNumberAndKeepsTheRest) {
  const struct {
    const char* line;
    const char* why;  // a fragment of the message
  } cases[] = {
      {"http://a.test/|2", "url|depth|code"},
      {"ftp://a.test/x|2|http://a.test/", "http or https"},
      {"http://a test/|2|http://a.test/", "http or https"},
      {"|2|http://a.test/", "http or https"},
      {"http://a.test/|2.5|http://a.test/", "whole number"},
      {"http://a.test/|-3|http://a.test/", "outside"},
      {"http://a.test/|11|http://a.test/", "outside"},
      {"http://a.test/|2|1234", "code"},
  };
  QString text = QStringLiteral("http://good.test/|1|http://good.test/\n");
  for (const auto& c : cases) text += QString::fromUtf8(c.line) + u'\n';

  QList<LinkListProblem> problems;
  const LinkList list = LinkList::parse(text, &problems);
  ASSERT_EQ(list.entries().size(), 1);
  ASSERT_EQ(problems.size(), static_cast<qsizetype>(std::size(cases)));
  for (qsizetype i = 0; i < problems.size(); ++i) {
    SCOPED_TRACE(cases[i].line);
    EXPECT_EQ(problems[i].line, i + 2);
    EXPECT_TRUE(problems[i].message.contains(QString::fromUtf8(cases[i].why)))
        << problems[i].message.toStdString();
  }
}

// Adult mode falls back to ordinary entries when the list has none of its own; never the reverse.
TEST(LinkList, DrawsFromTheSideTheModeAsksFor) {
  const QString n1 = "http://n1.test/|1|http://n1.test/\n",
                n2 = "http://n2.test/|1|http://n2.test/\n",
                a1 = "adult http://a1.test/|1|http://a1.test/\n",
                a2 = "adult http://a2.test/|1|http://a2.test/\n";
  const struct {
    QString list;
    bool adult;
    QSet<QString> drawn;  // empty: draws nothing
  } cases[] = {
      {n1 + a1 + n2 + a2, false, {"http://n1.test/", "http://n2.test/"}},
      {n1 + a1 + n2 + a2, true, {"http://a1.test/", "http://a2.test/"}},
      {n1, true, {"http://n1.test/"}},
      {a1, false, {}},
  };
  QRandomGenerator random(42);
  for (const auto& c : cases) {
    const LinkList list = LinkList::parse(c.list);
    QSet<QString> drawn;
    for (int i = 0; i < 100; ++i) {
      const auto* entry = list.draw(c.adult, random);
      if (entry) drawn.insert(entry->url);
    }
    EXPECT_EQ(drawn, c.drawn) << c.list.toStdString() << c.adult;
  }
}

}  // namespace
