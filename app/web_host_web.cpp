#include "app/web_host.h"

#include "app/demo_driver.h"
#include "app/gl_window.h"
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
// Passes drawn back to back before the browser gets a frame, when drawing falls behind.
constexpr int PASSES_BETWEEN_FRAMES = 2;

EM_JS(int, settingOf, (const char* name, int fallback), {
    const settings = Module.quarnSettings || {};
    const value = settings[UTF8ToString(name)];
    return value == = undefined ? fallback : (value | 0);
});

// Resolves at the browser's next animation frame.
EM_ASYNC_JS(void, nextAnimationFrame, (), { await new Promise(resolve = > requestAnimationFrame(resolve)); });

EM_JS(void, reportPass, (int pass, int total), {
    if (Module.quarnPass)
        Module.quarnPass(pass, total);
});

EM_JS(void, handOverHeldFrame, (const unsigned char* rgba, int width, int height, int pass), {
    if (Module.quarnHeld)
        Module.quarnHeld(HEAPU8.slice(rgba, rgba + width * height * 4), width, height, pass);
});

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

class WebHost : public DemoHost {
  public:
    void open() override;
    bool hasMusic() const override { return true; }
    bool soundOff() const override { return gWindow.noSound; }
    void started(const Timeline&) override { start_ = emscripten_get_now(); }
    bool stopRequested() override { return escapePressed; }
    void present(const PassInfo& info) override;
    void pace(uint32_t) override;
    void close() override { gWindow.window = nullptr; }

  private:
    void hold(int32_t pass);

    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
    double start_ = 0.0;
    int32_t presented_ = 0;
    int32_t holdPass_ = -1;
    int backToBack_ = 0;
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

void WebHost::present(const PassInfo& info) {
    presented_ = info.pass + 1;
    if (info.pass % 50 == 0)
        reportPass(info.pass, info.presentedTotal);
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

// The script runs 50 passes a second on the page's clock: the browser gets a frame
// whenever the next pass is not yet due, and after a few passes drawn back to back.
// Passes before a pass to hold are drawn without waiting.
void WebHost::pace(uint32_t) {
    if (presented_ <= holdPass_) {
        if (presented_ % 100 == 0)
            emscripten_sleep(0);
        return;
    }
    const double due = start_ + presented_ * PASS_MILLISECONDS;
    if (emscripten_get_now() >= due && ++backToBack_ < PASSES_BETWEEN_FRAMES)
        return;
    backToBack_ = 0;
    do
        nextAnimationFrame();
    while (emscripten_get_now() < due);
}

} // namespace

Renderer& defaultRenderer() {
    return webRenderer();
}

int runDemoInBrowser() {
    WebHost host;
    return runDemo(host);
}
