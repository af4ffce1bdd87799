#include "settings/TKWPathToAliasTransformer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TKWPathToAliasTransformer, APathStoredAsAnAliasFollowsTheFile)
{
    const TKWPathToAliasTransformer transformer;
    ASSERT_TRUE(transformer.allowsReverseTransformation());
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("face.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const PropertyList path = PropertyList::string(file.fileName());
    const PropertyList alias = transformer.reverseTransformedValue(path);
    ASSERT_NE(alias.asData(), nullptr);
    EXPECT_EQ(transformer.transformedValue(alias), path);

    const QString moved = folder.filePath(QStringLiteral("renamed.png"));
    ASSERT_TRUE(file.rename(moved));
    EXPECT_EQ(transformer.transformedValue(alias), PropertyList::string(moved));
    ASSERT_TRUE(file.remove());
    EXPECT_TRUE(transformer.transformedValue(alias).isNone());
    EXPECT_TRUE(transformer.reverseTransformedValue(path).isNone());
}

TEST(TKWPathToAliasTransformer, OtherKindsAndForeignDataGiveNone)
{
    const TKWPathToAliasTransformer transformer;
    const QString here = QDir::currentPath();
    for (const PropertyList &value :
         {PropertyList(), PropertyList::string(here), PropertyList::data("not an alias")}) {
        EXPECT_TRUE(transformer.transformedValue(value).isNone());
    }
    for (const PropertyList &value : {PropertyList(), PropertyList::data(here.toUtf8())}) {
        EXPECT_TRUE(transformer.reverseTransformedValue(value).isNone());
    }
}
