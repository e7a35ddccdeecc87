// Editor lifecycle in a real host window: the rectangle asked before the
// editor opens, open/close/open, a second open without a close, and effClose
// with the editor open. After every close no window of the plug-in may be
// left in the host's window.
#include "host_window.h"
#include "validation.h"

namespace {

constexpr int kPumpMilliseconds = 60;
constexpr int kMaxEditorSide = 8192;

std::string rectProblem(AEffect* effect, std::string& size) {
    ERect* rect = nullptr;
    const VstIntPtr answer = dispatch(effect, effEditGetRect, 0, 0, &rect);
    if (!answer || !rect) {
        size = "no size before effEditOpen";
        return "";
    }
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0 || width > kMaxEditorSide || height > kMaxEditorSide)
        return "effEditGetRect answers an editor of " + size;
    return "";
}

void openEditor(AEffect* effect, HostWindow& window) {
    dispatch(effect, effEditOpen, 0, 0, window.parent);
    pumpWindowEvents(window, kPumpMilliseconds);
    dispatch(effect, effEditIdle);
}

void closeEditor(AEffect* effect, HostWindow& window) {
    dispatch(effect, effEditClose);
    pumpWindowEvents(window, kPumpMilliseconds);
}

std::string leftOver(HostWindow& window, const char* after) {
    const int children = childWindowCount(window);
    return children == 0 ? ""
                         : std::to_string(children) + " window(s) of the plug-in left in the " +
                               "host's window after " + after;
}

struct EditorRun {
    std::string problem;
    std::string detail;
};

EditorRun openCloseOpen(AEffect* effect, HostWindow& window) {
    EditorRun run;
    run.problem = rectProblem(effect, run.detail);
    if (!run.problem.empty()) return run;
    openEditor(effect, window);
    const int shown = childWindowCount(window);
    std::string size;
    run.problem = rectProblem(effect, size);
    if (!run.problem.empty()) return run;
    run.detail = "editor " + size +
                 (shown > 0 ? ", " + std::to_string(shown) + " window(s)"
                            : ", but no window made in the host's window");
    closeEditor(effect, window);
    run.problem = leftOver(window, "effEditClose");
    if (!run.problem.empty()) return run;
    openEditor(effect, window);
    closeEditor(effect, window);
    run.problem = leftOver(window, "a second open and close");
    return run;
}

EditorRun secondOpen(AEffect* effect, HostWindow& window) {
    openEditor(effect, window);
    openEditor(effect, window);
    closeEditor(effect, window);
    return {leftOver(window, "two effEditOpen and one effEditClose"), "one close undid both"};
}

} // namespace

void checkEditor(Validation& validation) {
    const char* const kNames[] = {"editor.open-close-open", "editor.second-open",
                                  "editor.close-with-editor-open"};
    std::string error;
    AEffect* effect = openInstance(validation, 44100.0, 512, error);
    if (!effect) {
        beginCheck(validation.report, kNames[0]);
        return endCheck(validation.report, Verdict::Fail, error);
    }
    if (!(effect->flags & effFlagsHasEditor)) {
        closeInstance(effect);
        beginCheck(validation.report, kNames[0]);
        return endCheck(validation.report, Verdict::Note, "the plug-in declares no editor");
    }
    HostWindow window;
    std::string whyNot;
    if (!createHostWindow(window, 1280, 800, whyNot)) {
        closeInstance(effect);
        for (const char* name : kNames) {
            beginCheck(validation.report, name);
            endCheck(validation.report, Verdict::NotMeasurable, whyNot);
        }
        return;
    }
    using Run = EditorRun (*)(AEffect*, HostWindow&);
    const Run runs[] = {openCloseOpen, secondOpen};
    for (int i = 0; i < 2; ++i) {
        beginCheck(validation.report, kNames[i]);
        const EditorRun run = runs[i](effect, window);
        endCheck(validation.report, run.problem.empty() ? Verdict::Pass : Verdict::Fail,
                 run.problem.empty() ? run.detail : run.problem);
    }
    beginCheck(validation.report, kNames[2]);
    openEditor(effect, window);
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effClose);
    pumpWindowEvents(window, kPumpMilliseconds);
    const std::string problem = leftOver(window, "effClose with the editor open");
    endCheck(validation.report, problem.empty() ? Verdict::Pass : Verdict::Fail,
             problem.empty() ? "the editor went with the instance" : problem);
    destroyHostWindow(window);
}
