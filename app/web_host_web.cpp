#include "app/web_host.h"

#include "app/demo_driver.h"
#include "app/gl_window.h"
#include "log/await_js_web.h"
#include "log/log.h"
#include "render/gl3.h"
#include "render/shader_renderer.h"

#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <string>
#include <vector>

GLWindow gWindow;

namespace {

constexpr double PASS_MILLISECONDS = 20.0;
// Passes drawn before a held pass (the others before it are played undrawn).
constexpr int32_t HOLD_LEAD_IN = 2;

// clang-format off
EM_JS(int, settingOf, (const char* name, int fallback), {
    const settings = Module.quarnSettings || {};
    const value = settings[UTF8ToString(name)];
    return value === undefined ? fallback : (value | 0);
});
// clang-format on

// Resolves at the browser's next animation frame.
// clang-format off
AWAIT_JS(void, nextAnimationFrame, (), { await new Promise(resolve => requestAnimationFrame(resolve)); });
// clang-format on

// clang-format off
EM_JS(void, reportPass, (int pass, int total, int frame), {
    if (Module.quarnPass)
        Module.quarnPass(pass, total, frame);
});
// clang-format on

// clang-format off
EM_JS(void, handOverHeldFrame, (const unsigned char* rgba, int width, int height, int pass), {
    if (Module.quarnHeld)
        Module.quarnHeld(HEAPU8.slice(rgba, rgba + width * height * 4), width, height, pass);
});
// clang-format on

ShaderRenderer& webRenderer() {
    static ShaderRenderer renderer;
    return renderer;
}

bool escapePressed = false;

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (std::strcmp(event->key, "Escape") == 0) {
        escapePressed = true;
        return EM_TRUE;
    }
    return EM_FALSE;
}

// Frames come at the display's rate (requestAnimationFrame), each at its own moment of
// the script, which plays at 50 passes a second as long as the frames keep up (at
// most one new pass per frame: a slow machine plays slower, never skipping). With a
// pass to hold, the script plays every pass up to it (the same passes, state and log
// as on the desktop) but draws only the last few, so a late pass is reached in moments
// even where drawing is slow.
class WebHost : public DemoHost {
  public:
    void open() override;
    bool hasMusic() const override { return true; }
    bool soundOff() const override { return gWindow.noSound; }
    bool stopRequested() override { return escapePressed; }
    double framePosition(int32_t passesPlayed) override;
    void present(const PassInfo& info) override;
    void pace(uint32_t) override;
    void close() override { gWindow.window = nullptr; }

  private:
    void hold(int32_t pass);

    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
    double scriptStart_ = -1.0;
    int32_t holdPass_ = -1;
};

void WebHost::open() {
    gWindow.width = settingOf("width", 640);
    gWindow.height = settingOf("height", 480);
    gWindow.noSound = settingOf("noSound", 0) != 0;
    gWindow.fullScreen = settingOf("fullScreen", 0) != 0;
    holdPass_ = settingOf("holdPass", -1);
    emscripten_set_canvas_element_size("#canvas", gWindow.width, gWindow.height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.antialias = EM_FALSE;
    context_ = emscripten_webgl_create_context("#canvas", &attributes);
    if (context_ <= 0)
        gLog.errorWithDetail("The browser gave no WebGL 2 context.", "Failed To Get A Rendering Context");
    emscripten_webgl_make_context_current(context_);
    glViewport(0, 0, gWindow.width, gWindow.height);
    std::string error;
    if (!webRenderer().create(error))
        gLog.errorWithDetail(error.c_str(), "Failed To Get A Rendering Context");
    setActiveRenderer(&webRenderer());
    gWindow.window = &context_;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
}

double WebHost::framePosition(int32_t passesPlayed) {
    // The drawing state left by one frame carries into the next (blending, texture
    // filters, the sphere map's texture mode, as in OpenGL 1.1), so the passes just
    // before the held one are drawn; one frame sets it as the whole run would.
    // A pass past the script's end plays the whole script without drawing a frame.
    if (passesPlayed < holdPass_ - HOLD_LEAD_IN)
        return holdPass_ - HOLD_LEAD_IN;
    if (passesPlayed <= holdPass_)
        return passesPlayed;
    const double now = emscripten_get_now();
    if (scriptStart_ < 0.0)
        scriptStart_ = now - passesPlayed * PASS_MILLISECONDS;
    double position = (now - scriptStart_) / PASS_MILLISECONDS;
    if (position > passesPlayed) {
        // More than one new pass would be due: the script waits for the frames.
        scriptStart_ = now - passesPlayed * PASS_MILLISECONDS;
        position = passesPlayed;
    }
    return position;
}

void WebHost::present(const PassInfo& info) {
    if (info.frame % 50 == 0)
        reportPass(info.pass, info.presentedTotal, info.frame);
    if (info.pass == holdPass_)
        hold(info.pass);
}

// Shows pass `pass` until Escape: its pixels go to the page first (the browser test
// compares them with the desktop's frame of the same pass).
void WebHost::hold(int32_t pass) {
    std::vector<unsigned char> rgba(static_cast<size_t>(gWindow.width) * gWindow.height * 4);
    glReadPixels(0, 0, gWindow.width, gWindow.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    handOverHeldFrame(rgba.data(), gWindow.width, gWindow.height, pass);
    while (!escapePressed)
        nextAnimationFrame();
}

// The browser shows the frame when the page gets control back: one frame per display
// refresh.
void WebHost::pace(uint32_t) {
    nextAnimationFrame();
}

} // namespace

Renderer& defaultRenderer() {
    return webRenderer();
}

int runDemoInBrowser() {
    WebHost host;
    return runDemo(host);
}
