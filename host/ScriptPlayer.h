#pragma once

// Plays an editor script into a window of the headless window system while
// EditorWindow::run() runs, then ends it. The steps run from
// a timer, so that they go on inside the editor's own tracking loops: each
// step's input is queued once the loop has taken the previous step's, and
// a press may be followed by moves, waits and screenshots before its
// release. A button the script leaves down is released at the end, and
// the loop runs a little longer so that what the editor sent is delivered.

#include <deque>
#include <string>
#include <vector>

#include "host/EditScript.h"
#include "platform/hitoolbox/HIToolbox.h"

class ScriptPlayer {
  public:
    ScriptPlayer(WindowRef window, std::vector<ScriptStep> steps);
    ~ScriptPlayer();
    ScriptPlayer(const ScriptPlayer&) = delete;
    ScriptPlayer& operator=(const ScriptPlayer&) = delete;

    // Why the script stopped early (a screenshot that could not be
    // written), as "LINE: what"; empty when it ran to the end.
    const std::string& failure() const { return problem; }

  private:
    static void tick(EventLoopTimerRef, void* player);
    // Queues the next step's input; false when the loop must take it first.
    bool play(const ScriptStep& step);
    void answerNextPopUp();
    void finish();

    WindowRef window;
    std::vector<ScriptStep> steps;
    size_t next = 0;
    CFAbsoluteTime resumeAt = 0;
    double mouseX = 0, mouseY = 0;
    bool buttonDown = false;
    uint32_t heldModifiers = 0;
    bool ending = false;
    std::deque<int> menuAnswers;
    std::string problem;
    EventLoopTimerRef timer = nullptr;
};
