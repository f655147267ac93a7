// Option menus: the entry list and its markup, values, and the pop-up
// through a frame in a window with scripted answers.

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "ControlWindow.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"
#include "toolkit/CViewContainer.h"

namespace toolkit::test {
namespace {

// Shows the text the menu draws.
class ShownMenu : public COptionMenu {
  public:
    ShownMenu(long style = 0) : COptionMenu(CRect(20, 150, 100, 166), nullptr, 21, nullptr, nullptr, style) {}
    std::string shown() const { return shownText() ? shownText() : "(none)"; }
};

std::string entry(const COptionMenu& menu, long index)
{
    char text[COptionMenu::kEntrySize];
    return menu.getEntry(index, text) ? text : "(none)";
}

TEST(OptionMenuEntries, ValuesAreIndexesInTheFullList)
{
    auto* menu = new ShownMenu;
    EXPECT_EQ(menu->getCurrent(), -1);
    EXPECT_EQ(menu->shown(), "(none)");
    menu->addEntry("man");
    EXPECT_EQ(menu->getCurrent(), 0);
    menu->addEntry("-");
    menu->addEntry("-TTitle");
    menu->addEntry("1/2");
    EXPECT_EQ(menu->getIndex("1/2"), 3);
    EXPECT_EQ(menu->getIndex("1/"), -1);

    EXPECT_FALSE(menu->setCurrent(1));
    EXPECT_TRUE(menu->setCurrent(3));
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_EQ(menu->getCurrent(nullptr, false), 1);
    EXPECT_TRUE(menu->setCurrent(0, false));
    EXPECT_EQ(menu->getCurrent(), 0);
    EXPECT_TRUE(menu->setCurrent(1, false));
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_FALSE(menu->setCurrent(2, false));
    char text[COptionMenu::kEntrySize];
    EXPECT_EQ(menu->getCurrent(text), 3);
    EXPECT_STREQ(text, "1/2");

    // Inserting at or before the current entry keeps it current.
    EXPECT_TRUE(menu->addEntry("first", 0));
    EXPECT_EQ(menu->getCurrent(), 4);
    EXPECT_TRUE(menu->addEntry("last", 99));
    EXPECT_EQ(entry(*menu, 5), "last");
    EXPECT_TRUE(menu->removeEntry(0));
    EXPECT_EQ(menu->getCurrent(), 3);
    EXPECT_FALSE(menu->removeEntry(5));
    EXPECT_TRUE(menu->setEntry(0, nullptr));
    EXPECT_EQ(entry(*menu, 0), "");
    EXPECT_FALSE(menu->setEntry(-1, "x"));

    EXPECT_TRUE(menu->checkEntry(2, true));
    EXPECT_TRUE(menu->checkEntryAlone(4));
    EXPECT_FALSE(menu->isCheckEntry(2));
    EXPECT_TRUE(menu->isCheckEntry(4));
    EXPECT_FALSE(menu->isCheckEntry(40));
    EXPECT_FALSE(menu->checkEntry(40, true));

    menu->removeAllEntry();
    EXPECT_EQ(menu->getNbEntries(), 0);
    EXPECT_EQ(menu->getCurrent(), -1);
    for (int i = 0; i < COptionMenu::kMaxEntries; ++i) ASSERT_TRUE(menu->addEntry("x"));
    EXPECT_FALSE(menu->addEntry("one too many"));
    EXPECT_EQ(menu->getNbEntries(), COptionMenu::kMaxEntries);
    menu->forget();
}

TEST(OptionMenuEntries, SetValueTruncatesInRangeValuesAndIgnoresTheRest)
{
    auto* menu = new ShownMenu(kCheckStyle);
    for (const char* text : {"man", "1/2", "1/1"}) menu->addEntry(text);
    menu->setValue(1.7f);
    EXPECT_EQ(menu->getCurrent(), 1);
    EXPECT_TRUE(menu->isCheckEntry(1));
    menu->setValue(-0.5f);
    EXPECT_EQ(menu->getCurrent(), 0);
    for (float outside : {3.f, -1.f, std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY, 1e20f}) {
        menu->setValue(outside);
        EXPECT_EQ(menu->getCurrent(), 0) << outside;
        EXPECT_EQ(menu->getValue(), -0.5f) << outside;
    }
    // Check style: choosing toggles the entry's flag.
    menu->setValue(1.f);
    EXPECT_FALSE(menu->isCheckEntry(1));
    menu->forget();
}

TEST(OptionMenuEntries, EntriesKeepTo255CharactersAndPrefixesAreShownWithout)
{
    auto* menu = new ShownMenu;
    const std::string longText(400, 'w');
    menu->addEntry(longText.c_str());
    EXPECT_EQ(entry(*menu, 0), longText.substr(0, 255));
    menu->setEntry(0, longText.c_str());
    EXPECT_EQ(entry(*menu, 0).size(), 255u);

    menu->removeAllEntry();
    menu->setPrefixNumbers(3);
    for (const char* text : {"one", "two", "three"}) menu->addEntry(text);
    EXPECT_EQ(entry(*menu, 2), "03 three");
    menu->setCurrent(2);
    EXPECT_EQ(menu->shown(), "three");

    // A prefix longer than the room left, and an entry shorter than its prefix.
    menu->setPrefixNumbers(4);
    menu->addEntry(longText.c_str());
    EXPECT_EQ(entry(*menu, 3), "004 " + longText.substr(0, 251));
    menu->setEntry(2, "ab");
    EXPECT_EQ(menu->shown(), "");

    auto* sub = new ShownMenu;
    EXPECT_TRUE(menu->addEntry(sub, "More"));
    EXPECT_EQ(entry(*menu, 4), "-M005 More");
    sub->forget();
    menu->forget();
}

TEST(OptionMenuEntries, AMenuCannotContainItself)
{
    auto* top = new ShownMenu;
    auto* sub = new ShownMenu;
    EXPECT_FALSE(top->addEntry(top, "Self"));
    EXPECT_FALSE(top->addEntry(nullptr, "None"));
    EXPECT_FALSE(top->addEntry(sub, nullptr));
    EXPECT_TRUE(top->addEntry(sub, "Sub"));
    EXPECT_FALSE(sub->addEntry(top, "Loop"));
    EXPECT_EQ(sub->getNbEntries(), 0);
    EXPECT_EQ(top->getNbEntries(), 1);
    sub->forget();
    top->forget();
}

TEST(OptionMenuScheme, ItemsAreSizedAndDrawnInTheSchemeColours)
{
    auto* scheme = new COptionMenuScheme;
    scheme->setColors(kGreyCColor, kBlueCColor, kBlackCColor, kWhiteCColor, kRedCColor);
    auto* context = new COffscreenContext(nullptr, 120, 40, kBlackCColor);
    CPoint size;
    scheme->getItemSize("-", context, size);
    EXPECT_EQ(size, CPoint(6, 9));
    scheme->getItemSize("Item", context, size);
    context->setFont(kFontSmall);
    EXPECT_EQ(size, CPoint(context->getStringWidth("Item") + 36, 18));

    // A checked, selected item: selection background, a dot in the
    // selected-text colour, the text from 18 pixels in.
    const CRect item(0, 0, 120, 18);
    scheme->drawItem("Item", 1, COptionMenuScheme::kChecked | COptionMenuScheme::kSelected, context, item);
    EXPECT_EQ(pixelAt(*context, 2, 2), kBlueCColor);
    EXPECT_EQ(pixelAt(*context, 10, 8), kWhiteCColor);
    EXPECT_EQ(ink(*context, CRect(0, 0, 18, 18), kBlueCColor, Axis::columns).first, 6);
    EXPECT_GE(ink(*context, CRect(15, 0, 120, 18), kBlueCColor, Axis::columns).first, 18);

    // A plain item without check: background only left of the text.
    scheme->drawItem("Item", 2, 0, context, CRect(0, 20, 120, 38));
    EXPECT_EQ(ink(*context, CRect(0, 20, 18, 38), kGreyCColor, Axis::columns).first, -1);
    context->forget();
    scheme->forget();
}

class OptionMenu : public ControlWindow {
  protected:
    void TearDown() override
    {
        platform::headless::setScreen({0, 0, 1080, 1920}, {22, 0, 1080, 1920});
        ControlWindow::TearDown();
    }

    COptionMenu* addMenu(long style = 0)
    {
        return add(new COptionMenu(CRect(20, 150, 100, 166), nullptr, 21, nullptr, nullptr, style));
    }
    // Opens the menu with nothing answered: the pop-up is dismissed.
    const platform::headless::PopUp& look()
    {
        const unsigned before = platform::headless::popUpCount();
        click(60, 158);
        EXPECT_EQ(platform::headless::popUpCount(), before + 1);
        return *platform::headless::lastPopUp();
    }
};

TEST_F(OptionMenu, ChoosingAnEntrySetsTheValueAndTellsTheListenerOnce)
{
    COptionMenu* menu = addMenu();
    for (const char* text : {"man", "1/2", "1/1"}) menu->addEntry(text);
    const MenuID id = look().menu.id;
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(gestures(21), std::make_pair(1, 1));

    platform::headless::answerPopUp(id, 3);
    click(60, 158);
    EXPECT_EQ(menu->getValue(), 2.f);
    EXPECT_EQ(menu->getCurrent(), 2);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, menu);
    EXPECT_TRUE(listener.changes[0].withContext);
    EXPECT_EQ(gestures(21), std::make_pair(2, 2));
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(OptionMenu, SubMenuChoiceGoesToTheSubMenu)
{
    COptionMenu* menu = addMenu();
    auto* sub = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 22);
    sub->addEntry("x");
    sub->addEntry("y");
    menu->addEntry("one");
    menu->addEntry(sub, "more");
    sub->forget();

    const auto& popUp = look();
    ASSERT_EQ(popUp.menu.items.size(), 2u);
    EXPECT_EQ(popUp.menu.title, "PopUp");
    EXPECT_EQ(popUp.menu.items[1].text, "more");
    ASSERT_TRUE(popUp.menu.items[1].submenu);
    const MenuID subId = popUp.menu.items[1].submenu->id;
    EXPECT_EQ(popUp.menu.items[1].submenu->items[1].text, "y");

    platform::headless::answerPopUp(subId, 2);
    click(60, 158);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, sub);
    EXPECT_EQ(sub->getValue(), 1.f);
    EXPECT_EQ(menu->getCurrent(), 0);
    long index = -2;
    EXPECT_EQ(menu->getLastItemMenu(index), sub);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(gestures(21), std::make_pair(2, 2));
}

TEST_F(OptionMenu, ASubMenuAddedTwiceAnswersOnlyThroughItsLastPlace)
{
    COptionMenu* menu = addMenu();
    auto* sub = new COptionMenu(CRect(0, 0, 10, 10), nullptr, 22);
    sub->addEntry("x");
    menu->addEntry(sub, "first");
    menu->addEntry(sub, "second");
    sub->forget();
    const auto& popUp = look();
    ASSERT_EQ(popUp.menu.items.size(), 2u);
    const MenuID firstId = popUp.menu.items[0].submenu->id;
    const MenuID secondId = popUp.menu.items[1].submenu->id;
    ASSERT_NE(firstId, secondId);

    platform::headless::answerPopUp(firstId, 1);
    click(60, 158);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(menu->getLastResult(), 0);
    long index = -2;
    EXPECT_EQ(menu->getLastItemMenu(index), nullptr);

    platform::headless::answerPopUp(secondId, 1);
    click(60, 158);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, sub);
    EXPECT_EQ(gestures(21), std::make_pair(3, 3));
}

TEST_F(OptionMenu, MarkupShortcutsAndChecksReachThePlatformMenu)
{
    COptionMenu* menu = addMenu(kCheckStyle);
    for (const char* text :
         {"Cut\tCtrl+X", "Back\tLeft Alt", "Erase\tDel", "Plain\t", "-", "-GGrey", "-TTitle"})
        menu->addEntry(text);
    menu->checkEntry(0, true);
    const auto& items = look().menu.items;
    ASSERT_EQ(items.size(), 7u);

    EXPECT_EQ(items[0].text, "Cut\tCtrl+X");
    EXPECT_EQ(items[0].commandKey, 'X');
    EXPECT_EQ(items[0].modifiers, kMenuNoModifiers);
    EXPECT_EQ(items[0].mark, checkMark);
    EXPECT_EQ(items[1].glyph, kMenuLeftArrowGlyph);
    EXPECT_EQ(items[1].modifiers, kMenuNoCommandModifier | kMenuOptionModifier);
    EXPECT_EQ(items[1].mark, noMark);
    EXPECT_EQ(items[2].commandKey, 23);
    EXPECT_EQ(items[3].commandKey, 0);
    EXPECT_EQ(items[3].modifiers, kMenuNoCommandModifier);
    EXPECT_TRUE(items[4].separator);
    EXPECT_EQ(items[5].text, "Grey");
    EXPECT_FALSE(items[5].enabled);
    EXPECT_EQ(items[6].text, "Title");
    EXPECT_TRUE(items[6].sectionTitle);
}

TEST_F(OptionMenu, CheckCurrentStyleMarksTheCurrentEntry)
{
    COptionMenu* menu = addMenu(kCheckCurrentStyle);
    for (const char* text : {"a", "b", "c"}) menu->addEntry(text);
    menu->setCurrent(1);
    const auto& items = look().menu.items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].mark, noMark);
    EXPECT_EQ(items[1].mark, checkMark);
}

TEST_F(OptionMenu, OpensBelowTheControlOrAboveWhereTheScreenEnds)
{
    COptionMenu* menu = addMenu();
    for (const char* text : {"a", "b", "c"}) menu->addEntry(text);
    // The window's content starts at (100, 100) on the screen.
    const auto& below = look();
    EXPECT_EQ(below.anchor.h, 120);
    EXPECT_EQ(below.anchor.v, 266);
    EXPECT_EQ(below.popUpItem, 1);

    menu->setStyle(kPopupStyle);
    EXPECT_EQ(look().anchor.v, 250);

    platform::headless::setScreen({0, 0, 200, 1920}, {22, 0, 200, 1920});
    const auto& raised = look();
    EXPECT_LT(raised.anchor.v, 200 - 40);
    EXPECT_EQ(raised.popUpItem, 1);

    // Too small for the menu: it opens at the control with the item after
    // the current one under the mouse.
    platform::headless::setScreen({0, 0, 30, 1920}, {0, 0, 30, 1920});
    menu->setCurrent(1);
    const auto& squeezed = look();
    EXPECT_EQ(squeezed.anchor.v, 250);
    EXPECT_EQ(squeezed.popUpItem, 3);
}

TEST_F(OptionMenu, OpensUnderItsPlaceInsideContainers)
{
    auto* outer = new CViewContainer(CRect(10, 20, 300, 220), frame);
    auto* inner = new CViewContainer(CRect(5, 7, 200, 190), frame);
    frame->addView(outer);
    outer->addView(inner);
    auto* menu = new COptionMenu(CRect(20, 100, 100, 116), &listener, 21);
    inner->addView(menu);
    menu->addEntry("a");
    menu->addEntry("b");
    settle();
    // The menu lies at (35, 127) to (115, 143) in the window.
    const unsigned before = platform::headless::popUpCount();
    platform::headless::answerPopUp(1, 2);
    click(70, 135);
    ASSERT_EQ(platform::headless::popUpCount(), before + 1);
    EXPECT_EQ(platform::headless::lastPopUp()->anchor.h, 100 + 35);
    EXPECT_EQ(platform::headless::lastPopUp()->anchor.v, 100 + 143);
    EXPECT_EQ(menu->getCurrent(), 1);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, menu);
}

TEST_F(OptionMenu, ShowsThePressedLookWhileOpen)
{
    CBitmap* pressed = bitmapOf(80, 16, [](int, int) { return kGreenCColor; });
    auto* menu = add(new COptionMenu(CRect(20, 150, 100, 166), nullptr, 21, nullptr, pressed));
    pressed->forget();
    menu->setBackColor(kBlueCColor);
    menu->addEntry("a");
    settle();
    EXPECT_EQ(windowPixel(22, 152), kBlueCColor);
    CColor whileOpen;
    platform::headless::whilePoppedUp([&] { whileOpen = windowPixel(22, 152); });
    click(60, 158);
    EXPECT_EQ(whileOpen, kGreenCColor);
    EXPECT_EQ(windowPixel(22, 152), kBlueCColor);
}

TEST_F(OptionMenu, ClosingTheEditorWhileTheMenuIsOpenGivesNoChoice)
{
    COptionMenu* menu = addMenu();
    menu->addEntry("a");
    menu->addEntry("b");
    const MenuID id = look().menu.id;
    platform::headless::answerPopUp(id, 2);
    platform::headless::whilePoppedUp([&] { editor.close(); });
    click(60, 158);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(editor.getFrame(), nullptr);
}

TEST_F(OptionMenu, OnlyPrimarySecondaryOrControlClicksOpenAnEmptyMenuNothing)
{
    COptionMenu* menu = addMenu();
    const unsigned before = platform::headless::popUpCount();
    click(60, 158);
    EXPECT_EQ(platform::headless::popUpCount(), before);
    EXPECT_EQ(gestures(21), std::make_pair(1, 1));

    menu->addEntry("a");
    click(60, 158, 0, kEventMouseButtonTertiary);
    EXPECT_EQ(platform::headless::popUpCount(), before);
    click(60, 158, 0, kEventMouseButtonSecondary);
    EXPECT_EQ(platform::headless::popUpCount(), before + 1);
    EXPECT_EQ(menu->getLastButton(), kSecondaryButton);
    EXPECT_EQ(gestures(21), std::make_pair(2, 2));
}

} // namespace
} // namespace toolkit::test
