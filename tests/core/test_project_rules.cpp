// The rules for names and addresses as typed, and the keyword tag of a page.
#include "core/projects/ProjectRules.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::ProjectRules;

TEST(ProjectRules, ProjectNames)
{
    EXPECT_EQ(projectNameProblem(QStringLiteral("Ñandú\"O'K\\50%")), QString());
    EXPECT_EQ(projectNameProblem(QString(32, QLatin1Char('a'))), QString());
    EXPECT_EQ(projectNameProblem(QString()), QStringLiteral("Project name cannot be blank."));
    EXPECT_EQ(projectNameProblem(QStringLiteral("My site")),
              QStringLiteral("Space character may not be used"));
    EXPECT_EQ(projectNameProblem(QStringLiteral("Tab\tname")),
              QStringLiteral("Space character may not be used"));
    EXPECT_EQ(projectNameProblem(QStringLiteral("1site")),
              QStringLiteral("Cannot start with a non-alpha character"));
    EXPECT_EQ(projectNameProblem(QStringLiteral("\"quoted")),
              QStringLiteral("Cannot start with a non-alpha character"));
    EXPECT_EQ(projectNameProblem(QString(33, QLatin1Char('a'))),
              QStringLiteral("Project name cannot be longer than 32 characters."));
}

TEST(ProjectRules, StoredUrlLosesSchemeAndWww)
{
    EXPECT_EQ(storedUrl(QStringLiteral("http://www.example.com/a")), QStringLiteral("example.com/a"));
    EXPECT_EQ(storedUrl(QStringLiteral("www.example.com")), QStringLiteral("example.com"));
    EXPECT_EQ(storedUrl(QStringLiteral("HTTP://WWW.Example.com")), QStringLiteral("Example.com"));
    // "https://" goes too: it would otherwise be fetched as "http://https://...".
    EXPECT_EQ(storedUrl(QStringLiteral("https://www.example.com")), QStringLiteral("example.com"));
    EXPECT_EQ(storedUrl(QStringLiteral("example.com/www.x")), QStringLiteral("example.com/www.x"));
    EXPECT_EQ(physicalTerm(QStringLiteral("web site rank")), QStringLiteral("web~~~site~~~rank"));
}

TEST(ProjectRules, KeywordTags)
{
    KeywordTags tags = keywordTags(QStringLiteral(
        "<html><head>\r\n<META NAME=\"KEYWORDS\" CONTENT=\"tea pots , crème brûlée,green\r\n tea\"></head>"));
    EXPECT_TRUE(tags.found);
    EXPECT_FALSE(tags.duplicates);
    EXPECT_EQ(tags.terms,
              (QStringList{QStringLiteral("tea pots"), QStringLiteral("crème brûlée"),
                           QStringLiteral("green tea")}));

    // Lower case (as most pages write it), without the blank, with a duplicate.
    tags = keywordTags(QStringLiteral("<meta name=\"keywords\"content=\"a, b ,a\" />"));
    EXPECT_TRUE(tags.found);
    EXPECT_TRUE(tags.duplicates);
    EXPECT_EQ(tags.terms, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    tags = keywordTags(QStringLiteral("<meta name=\"description\" content=\"x\">"));
    EXPECT_FALSE(tags.found);
    EXPECT_TRUE(tags.terms.isEmpty());
}

TEST(ProjectRules, ListLines)
{
    EXPECT_EQ(listLines(QStringLiteral("a\r\nb\r\n\r\nc")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(listLines(QStringLiteral("a\nb\n\nc")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    // in a list written with CR LF, a lone line feed belongs to its name
    EXPECT_EQ(listLines(QStringLiteral("a\r\nname with a\nline break\r\n")),
              (QStringList{QStringLiteral("a"), QStringLiteral("name with a\nline break")}));
    EXPECT_EQ(joinLines({QStringLiteral("a"), QStringLiteral("b")}), QStringLiteral("a\r\nb"));
}
