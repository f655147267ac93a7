#include "host/ScriptPlayer.h"

#include "host/EditorWindow.h"
#include "platform/hitoolbox/Headless.h"

namespace {

// How long the loop runs after the last step: more than the listeners'
// notification interval.
constexpr CFTimeInterval kSettleSeconds = 0.05;

} // namespace

namespace headless = platform::headless;

ScriptPlayer::ScriptPlayer(WindowRef window, std::vector<ScriptStep> steps)
    : window(window), steps(std::move(steps))
{
    InstallEventLoopTimer(GetMainEventLoop(), headless::kInputInterval, headless::kInputInterval, tick, this,
                          &timer);
}

ScriptPlayer::~ScriptPlayer()
{
    RemoveEventLoopTimer(timer);
    if (!menuAnswers.empty()) headless::whilePoppedUp(nullptr);
}

void ScriptPlayer::tick(EventLoopTimerRef, void* context)
{
    auto& player = *static_cast<ScriptPlayer*>(context);
    if (headless::pendingInput() > 0 || CFAbsoluteTimeGetCurrent() < player.resumeAt) return;
    while (player.next < player.steps.size())
        if (!player.play(player.steps[player.next++])) return;
    player.finish();
}

void ScriptPlayer::finish()
{
    if (buttonDown) {
        headless::mouseUp(window, mouseX, mouseY, kEventMouseButtonPrimary, heldModifiers);
        buttonDown = false;
    } else if (!ending) {
        ending = true;
        resumeAt = CFAbsoluteTimeGetCurrent() + kSettleSeconds;
    } else {
        EditorWindow::endEventLoop();
    }
}

bool ScriptPlayer::play(const ScriptStep& step)
{
    const auto press = [&](double x, double y, uint32_t modifiers) {
        if (buttonDown) headless::mouseUp(window, mouseX, mouseY, kEventMouseButtonPrimary, heldModifiers);
        headless::mouseDown(window, x, y, kEventMouseButtonPrimary, modifiers);
        mouseX = x, mouseY = y, buttonDown = true, heldModifiers = modifiers;
    };
    const auto release = [&] {
        headless::mouseUp(window, mouseX, mouseY, kEventMouseButtonPrimary, heldModifiers);
        buttonDown = false;
    };
    const auto move = [&](double x, double y) {
        headless::mouseMove(window, x, y, heldModifiers);
        mouseX = x, mouseY = y;
    };
    switch (step.action) {
    case ScriptAction::press:
        press(step.x, step.y, step.modifiers);
        return false;
    case ScriptAction::release:
        if (buttonDown) release();
        return false;
    case ScriptAction::move:
        move(step.x, step.y);
        return false;
    case ScriptAction::click:
        press(step.x, step.y, step.modifiers);
        release();
        return false;
    case ScriptAction::drag:
        press(step.x, step.y, step.modifiers);
        for (int i = 1; i <= step.steps; ++i) {
            const double t = double(i) / step.steps;
            move(step.x + (step.x2 - step.x) * t, step.y + (step.y2 - step.y) * t);
        }
        release();
        return false;
    case ScriptAction::wheel:
        headless::wheel(window, step.x, step.y, kEventMouseWheelAxisY, step.delta, step.modifiers);
        return false;
    case ScriptAction::key:
        headless::keyDown(window, step.keyCode, step.character, step.modifiers);
        headless::keyUp(window, step.keyCode, step.character, step.modifiers);
        return false;
    case ScriptAction::menu:
        menuAnswers.push_back(step.item);
        if (menuAnswers.size() == 1) answerNextPopUp();
        return true;
    case ScriptAction::wait:
        resumeAt = CFAbsoluteTimeGetCurrent() + step.milliseconds / 1000.0;
        return false;
    case ScriptAction::screenshot:
        if (headless::writePNG(window, step.file.c_str())) return true;
        problem = std::to_string(step.line) + ": cannot write the screenshot '" + step.file + "'";
        next = steps.size();
        return false;
    }
    return true;
}

// The menu's id is only known once it pops up.
void ScriptPlayer::answerNextPopUp()
{
    headless::whilePoppedUp([this] {
        const int item = menuAnswers.front();
        menuAnswers.pop_front();
        const headless::PopUp* popUp = headless::lastPopUp();
        if (item == 0 || !popUp)
            headless::dismissPopUp();
        else
            headless::answerPopUp(popUp->menu.id, static_cast<MenuItemIndex>(item));
        if (!menuAnswers.empty()) answerNextPopUp();
    });
}
