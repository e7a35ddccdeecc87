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
    bool windowless = false; // effEditOpen made no window
    bool closed = false;     // the run ended the instance
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
    run.windowless = shown == 0;
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
    EditorRun run;
    run.problem = leftOver(window, "two effEditOpen and one effEditClose");
    run.detail = "one close undid both";
    return run;
}

EditorRun closeWithEditorOpen(AEffect* effect, HostWindow& window) {
    openEditor(effect, window);
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effClose);
    pumpWindowEvents(window, kPumpMilliseconds);
    EditorRun run;
    run.closed = true;
    run.problem = leftOver(window, "effClose with the editor open");
    run.detail = "the editor went with the instance";
    return run;
}

} // namespace

void checkEditor(Validation& validation) {
    struct Check {
        const char* name;
        EditorRun (*run)(AEffect*, HostWindow&);
    };
    const Check checks[] = {{"editor.open-close-open", openCloseOpen},
                            {"editor.second-open", secondOpen},
                            {"editor.close-with-editor-open", closeWithEditorOpen}};
    for (const Check& check : checks) {
        beginCheck(validation.report, check.name);
        std::string error;
        AEffect* effect = openInstance(validation, 44100.0, 512, error);
        if (!effect) return endCheck(validation.report, Verdict::Fail, error);
        if (!(effect->flags & effFlagsHasEditor)) {
            closeInstance(effect);
            return endCheck(validation.report, Verdict::Note, "the plug-in declares no editor");
        }
        // A fresh window each time: what one check leaves behind is its own finding.
        HostWindow window;
        if (!createHostWindow(window, 1280, 800, error)) {
            closeInstance(effect);
            endCheck(validation.report, Verdict::NotMeasurable, error);
            continue;
        }
        const EditorRun run = check.run(effect, window);
        if (!run.closed) closeInstance(effect);
        destroyHostWindow(window);
        // An editor that makes no window is odd but harms no host: a note.
        const Verdict verdict = !run.problem.empty() ? Verdict::Fail
                                : run.windowless     ? Verdict::Note
                                                     : Verdict::Pass;
        endCheck(validation.report, verdict, run.problem.empty() ? run.detail : run.problem);
    }
}
