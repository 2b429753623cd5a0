// The theme store: eleven stored themes as the menu names them; nothing inflates until one is loaded.
#include "SkinTestSupport.h"

#include "skin/SkinTheme.h"
#include "ui/uDMSkins.h"

#include <QPointer>

#include <gtest/gtest.h>

TEST(DMSkins, holdsTheElevenThemesInMenuOrder) {
    const struct {
        const char* Identifier;
        const char* Caption;
        const char* FileName;
    } expected[] = {
        {"actThemeOffice2007", "Office 2007 (default)", "Office2007.skn"},
        {"actThemeAndromeda", "Andromeda", "Andromeda.skn"},
        {"actThemeFineVector2", "Fine Vector", "FineVector2.skn"},
        {"actThemeGameStyle", "Game Style", "GameStyle.skn"},
        {"actThemeiMetal", "iMetal", "iMetal.skn"},
        {"actThemeLagoon", "Lagoon", "Lagoon.skn"},
        {"actThemeOptima", "Optima", "Optima.skn"},
        {"actThemeOrion", "Orion", "Orion.skn"},
        {"actThemeVista", "Vista", "VistaTM.skn"},
        {"actThemeVistaLight2", "Vista Light", "VistaLight2.skn"},
        {"actThemeWinXPSilver", "WinXP Silver", "WinXPSilver.skn"},
    };
    TDMSkins store;
    EXPECT_EQ(store.objectName(), QStringLiteral("DMSkins"));
    const auto children = store.findChildren<TCompressedStoredSkin*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 11);
    ASSERT_EQ(ThemeTable().size(), 11u);
    for (std::size_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(expected[i].Identifier);
        EXPECT_STREQ(ThemeTable()[i].Identifier, expected[i].Identifier);
        EXPECT_STREQ(ThemeTable()[i].Caption, expected[i].Caption);
        EXPECT_STREQ(ThemeTable()[i].FileName, expected[i].FileName);
        TCompressedStoredSkin* stored = children[static_cast<qsizetype>(i)];
        EXPECT_EQ(stored->objectName(), QLatin1String(expected[i].Identifier));
        EXPECT_EQ(stored->CompressedFileName(), QLatin1String(expected[i].FileName));
        EXPECT_EQ(stored->property("CompressedFileName").toString(), QLatin1String(expected[i].FileName));
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
