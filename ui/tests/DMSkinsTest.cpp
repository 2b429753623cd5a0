// The theme store: a stored theme for every carried theme, named as the menu names it; nothing inflates
// until one is loaded.
#include "skin/SkinData.h"
#include "skin/SkinTheme.h"
#include "themes/ThemePackages.h"
#include "ui/uDMSkins.h"

#include <QPointer>

#include <gtest/gtest.h>

// The list of themes lives in themes/Themes.txt alone; what matters here is that the store follows it.
TEST(DMSkins, holdsEveryCarriedThemeInMenuOrderWithTheDefaultFirst) {
    TDMSkins store;
    EXPECT_EQ(store.objectName(), QStringLiteral("DMSkins"));
    const auto children = store.findChildren<TCompressedStoredSkin*>(QString(), Qt::FindDirectChildrenOnly);
    const auto& carried = themes::Packages();
    ASSERT_EQ(std::size_t(children.size()), carried.size());
    ASSERT_FALSE(carried.empty());
    // The settings' default theme must be the first, the one the main window carries built in.
    EXPECT_STREQ(carried.front().Identifier, "actThemeOffice2007");
    QStringList identifiers;
    for (std::size_t i = 0; i < carried.size(); ++i) {
        SCOPED_TRACE(carried[i].Identifier);
        const QString identifier = QLatin1String(carried[i].Identifier);
        EXPECT_TRUE(identifier.startsWith(QStringLiteral("actTheme")));
        EXPECT_FALSE(QString::fromUtf8(carried[i].Caption).isEmpty());
        EXPECT_TRUE(QLatin1String(carried[i].FileName).endsWith(QLatin1String(".skn")));
        // The store finds a theme whatever the letter case: two identifiers may not differ in case alone.
        EXPECT_FALSE(identifiers.contains(identifier, Qt::CaseInsensitive));
        identifiers << identifier;
        TCompressedStoredSkin* stored = children[static_cast<qsizetype>(i)];
        EXPECT_EQ(stored->objectName(), identifier);
        EXPECT_EQ(stored->CompressedFileName(), QLatin1String(carried[i].FileName));
        EXPECT_EQ(stored->property("CompressedFileName").toString(), QLatin1String(carried[i].FileName));
        EXPECT_GT(stored->CompressedData().size(), 1000);
        EXPECT_EQ(static_cast<unsigned char>(stored->CompressedData()[0]), 0x78) << "a zlib stream";
    }
}

TEST(DMSkins, findsStoredThemesWithoutRegardToCase) {
    TDMSkins store;
    ASSERT_NE(store.FindStoredSkin(QStringLiteral("actthemevista")), nullptr);
    EXPECT_EQ(store.FindStoredSkin(QStringLiteral("actthemevista"))->CompressedFileName(),
              QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(store.FindStoredSkin(QStringLiteral("ACTTHEMEIMETAL"))->objectName(), QStringLiteral("actThemeiMetal"));
    EXPECT_EQ(store.FindStoredSkin(QStringLiteral("actThemeNone")), nullptr);
    EXPECT_EQ(store.FindStoredSkin(QString()), nullptr);
}

// The flow of applying a theme: the store is made, the chosen theme copied through a temporary
// into the window's slot, the live theme pointed at the slot, the store released.
TEST(DMSkins, onlyTheChosenThemeIsInflated) {
    TCompressedStoredSkin slot;
    LoadDefaultStoredSkin(slot);
    EXPECT_EQ(slot.CompressedFileName(), QStringLiteral("Office2007.skn"));
    TSkinData skin;
    const quint64 before = TCompressedStoredSkin::InflationCount();
    QPointer<TDMSkins> released;
    {
        TDMSkins store;
        released = &store;
        EXPECT_EQ(TCompressedStoredSkin::InflationCount(), before) << "creating the store inflates nothing";
        TCompressedStoredSkin temporary;
        temporary.Assign(*store.FindStoredSkin(QStringLiteral("actThemeVista")));
        slot.Assign(temporary);
        skin.SetCompressedStoredSkin(&slot);
    }
    EXPECT_TRUE(released.isNull());
    EXPECT_EQ(TCompressedStoredSkin::InflationCount(), before + 1);
    EXPECT_EQ(TCompressedStoredSkin::LastInflatedFileName(), QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(slot.CompressedFileName(), QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(skin.Theme()->Name(), QStringLiteral("Vista"));
}

TEST(DMSkins, theDefaultSlotHoldsTheOffice2007Package) {
    TCompressedStoredSkin slot;
    slot.setObjectName(QStringLiteral("skCompressedStoredSkin"));
    LoadDefaultStoredSkin(slot);
    TDMSkins store;
    EXPECT_EQ(slot.CompressedData(), store.FindStoredSkin(QStringLiteral("actThemeOffice2007"))->CompressedData());
    EXPECT_EQ(slot.objectName(), QStringLiteral("skCompressedStoredSkin"));
    TSkinData skin;
    skin.SetCompressedStoredSkin(&slot);
    EXPECT_EQ(skin.Theme()->Name(), QStringLiteral("Office 2007"));
}
