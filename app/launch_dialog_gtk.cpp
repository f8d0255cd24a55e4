// The launch dialog on Linux, with GTK 3: resolution (one of five, or the desktop's
// own), full screen, filling the screen and no sound are chosen before the render window exists. Every click
// writes its choice into the GLWindow at once; Run! ends the dialog, Cancel (or Escape, or the close box)
// ends it with `cancelled` set. Enter activates the focused button, or Run! when no button has the focus.
//
// The controls sit where the dialog template puts them, in dialog units: a quarter of
// the font's average character width across, an eighth of its height down.
#include "app/gl_window.h"

#include <gtk/gtk.h>

namespace {

const char* const TITLE = "THE QUARN PROJECT";
const int DIALOG_WIDTH = 308; // dialog units
const int DIALOG_HEIGHT = 159;

struct Box {
    int x, y, width, height; // dialog units
};

struct Resolution {
    const char* label;
    int width;
    int height;
    Box box;
};

const Box DESKTOP_BOX = {137, 127, 110, 13};
const Box FILL_BOX = {137, 141, 110, 13};

const Resolution RESOLUTIONS[] = {
    {"400x300", 400, 300, {27, 27, 46, 13}},      {"640x480", 640, 480, {27, 44, 43, 12}},
    {"800x600", 800, 600, {74, 29, 45, 9}},       {"1024x768", 1024, 768, {74, 44, 46, 11}},
    {"1280x1024", 1280, 1024, {122, 28, 52, 12}},
};

struct Dialog;

struct ResolutionChoice {
    Dialog* dialog;
    const Resolution* resolution;
};

struct Dialog {
    GLWindow* window = nullptr;
    GtkWidget* toplevel = nullptr;
    GtkWidget* fixed = nullptr;
    GtkWidget* run = nullptr;
    GtkWidget* cancel = nullptr;
    // The five resolutions, then the desktop's own.
    GtkWidget* radios[G_N_ELEMENTS(RESOLUTIONS) + 1] = {};
    ResolutionChoice* choices = nullptr;
    Resolution desktop = {nullptr, 640, 480, DESKTOP_BOX};
    char desktopLabel[64] = "";
    GtkWidget* fullScreen = nullptr;
    GtkWidget* noSound = nullptr;
    GtkWidget* fill = nullptr;
    int baseX = 6;  // average character width in pixels
    int baseY = 13; // character height in pixels
    bool done = false;
};

// Dialog units to pixels, rounded to nearest.
int pixelsAcross(const Dialog& dialog, int units) {
    return (units * dialog.baseX + 2) / 4;
}
int pixelsDown(const Dialog& dialog, int units) {
    return (units * dialog.baseY + 4) / 8;
}

void place(Dialog& dialog, GtkWidget* widget, const Box& box) {
    gtk_widget_set_size_request(widget, pixelsAcross(dialog, box.width), pixelsDown(dialog, box.height));
    gtk_fixed_put(GTK_FIXED(dialog.fixed), widget, pixelsAcross(dialog, box.x), pixelsDown(dialog, box.y));
}

GtkWidget* addLabel(Dialog& dialog, const char* text, const Box& box) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    place(dialog, label, box);
    return label;
}

// The dialog font's base units, measured as the system measures them for dialog
// templates: the mean width of the 52 Latin letters, and the line height.
void measureFont(Dialog& dialog) {
    PangoLayout* layout = gtk_widget_create_pango_layout(
        dialog.toplevel, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    if (width > 0 && height > 0) {
        dialog.baseX = (width / 26 + 1) / 2;
        dialog.baseY = height;
    }
}

void finish(Dialog& dialog, bool cancelled) {
    if (dialog.done)
        return;
    dialog.done = true;
    if (cancelled)
        dialog.window->cancelled = true;
    gtk_main_quit();
}

void onRun(GtkButton*, gpointer data) {
    finish(*static_cast<Dialog*>(data), false);
}
void onCancel(GtkButton*, gpointer data) {
    finish(*static_cast<Dialog*>(data), true);
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    finish(*static_cast<Dialog*>(data), true);
    return TRUE; // the window is destroyed after the loop ends
}

// Enter activates the focused button (Cancel cancels), and is Run! wherever else the
// focus is; Escape is Cancel wherever the focus is.
gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    Dialog& dialog = *static_cast<Dialog*>(data);
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
        finish(dialog, gtk_window_get_focus(GTK_WINDOW(dialog.toplevel)) == dialog.cancel);
        return TRUE;
    case GDK_KEY_Escape:
        finish(dialog, true);
        return TRUE;
    default:
        return FALSE;
    }
}

void onResolution(GtkToggleButton* button, gpointer data) {
    if (!gtk_toggle_button_get_active(button))
        return;
    const ResolutionChoice& choice = *static_cast<ResolutionChoice*>(data);
    choice.dialog->window->width = choice.resolution->width;
    choice.dialog->window->height = choice.resolution->height;
    choice.dialog->window->desktopResolution = choice.resolution == &choice.dialog->desktop;
}

void onFullScreen(GtkToggleButton* button, gpointer data) {
    static_cast<Dialog*>(data)->window->fullScreen = gtk_toggle_button_get_active(button) != FALSE;
}

void onNoSound(GtkToggleButton* button, gpointer data) {
    static_cast<Dialog*>(data)->window->noSound = gtk_toggle_button_get_active(button) != FALSE;
}

void onFill(GtkToggleButton* button, gpointer data) {
    static_cast<Dialog*>(data)->window->fill = gtk_toggle_button_get_active(button) != FALSE;
}

// The desktop's own size in pixels on the monitor the dialog opens on (the primary
// one, where the render window opens too), and its label.
void measureDesktop(Dialog& dialog) {
    GdkDisplay* display = gtk_widget_get_display(dialog.toplevel);
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
        GdkRectangle area;
        gdk_monitor_get_geometry(monitor, &area);
        int scale = gdk_monitor_get_scale_factor(monitor);
        if (area.width > 0 && area.height > 0) {
            dialog.desktop.width = area.width * scale;
            dialog.desktop.height = area.height * scale;
        }
    }
    g_snprintf(dialog.desktopLabel, sizeof dialog.desktopLabel, "Desktop (%dx%d)", dialog.desktop.width,
               dialog.desktop.height);
    dialog.desktop.label = dialog.desktopLabel;
}

// The dialog window, its font measured and the fixed layout that holds the controls.
void createWindow(Dialog& dialog) {
    dialog.toplevel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* toplevel = GTK_WINDOW(dialog.toplevel);
    gtk_window_set_title(toplevel, TITLE);
    gtk_window_set_resizable(toplevel, FALSE);
    gtk_window_set_modal(toplevel, TRUE);
    gtk_window_set_position(toplevel, GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(toplevel, GDK_WINDOW_TYPE_HINT_DIALOG);
    measureFont(dialog);
    measureDesktop(dialog);

    dialog.fixed = gtk_fixed_new();
    gtk_widget_set_size_request(dialog.fixed, pixelsAcross(dialog, DIALOG_WIDTH),
                                pixelsDown(dialog, DIALOG_HEIGHT));
    gtk_container_add(GTK_CONTAINER(toplevel), dialog.fixed);
}

// The controls in template order, showing the settings the dialog starts from.
void addControls(Dialog& dialog, const GLWindow& window) {
    // The group box comes first so the credit lines are drawn over it.
    GtkWidget* group = gtk_frame_new("VORNIK");
    place(dialog, group, {25, 62, 222, 54});
    addLabel(dialog, "Code: VORNIK", {30, 77, 73, 11});
    addLabel(dialog, "Music: VORNIK", {31, 100, 100, 11});
    addLabel(dialog, "3d art: VORNIK", {30, 89, 103, 11});

    dialog.run = gtk_button_new_with_label("Run!");
    place(dialog, dialog.run, {181, 14, 67, 17});
    dialog.cancel = gtk_button_new_with_label("Cancel");
    place(dialog, dialog.cancel, {180, 38, 67, 18});
    addLabel(dialog, "Resulution", {25, 13, 71, 14});

    GtkWidget* selected = nullptr;
    for (size_t i = 0; i < G_N_ELEMENTS(dialog.radios); ++i) {
        const Resolution& resolution = i < G_N_ELEMENTS(RESOLUTIONS) ? RESOLUTIONS[i] : dialog.desktop;
        GtkWidget*& radio = dialog.radios[i];
        radio = i == 0 ? gtk_radio_button_new_with_label(nullptr, resolution.label)
                       : gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(dialog.radios[0]),
                                                                     resolution.label);
        place(dialog, radio, resolution.box);
        if (&resolution == &dialog.desktop ? window.desktopResolution
                                           : !window.desktopResolution && resolution.width == window.width &&
                                                 resolution.height == window.height)
            selected = radio;
        dialog.choices[i] = {&dialog, &resolution};
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(selected ? selected : dialog.radios[1]), TRUE);

    dialog.fullScreen = gtk_check_button_new_with_label("FullScreen");
    place(dialog, dialog.fullScreen, {123, 45, 53, 12});
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(dialog.fullScreen), window.fullScreen);
    addLabel(dialog, "Contact: vornik@example.org", {137, 71, 106, 17});
    dialog.noSound = gtk_check_button_new_with_label("No Sound");
    place(dialog, dialog.noSound, {25, 127, 103, 13});
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(dialog.noSound), window.noSound);
    dialog.fill = gtk_check_button_new_with_label("Fill the screen");
    place(dialog, dialog.fill, FILL_BOX);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(dialog.fill), window.fill);
}

// Tab order as in the template: Run!, Cancel, the resolutions (entered at the selected
// one, arrows move within them), FullScreen, No Sound, then Fill the screen.
void setFocusChain(Dialog& dialog) {
    GList* chain = nullptr;
    chain = g_list_append(chain, dialog.run);
    chain = g_list_append(chain, dialog.cancel);
    for (GtkWidget* radio : dialog.radios)
        chain = g_list_append(chain, radio);
    chain = g_list_append(chain, dialog.fullScreen);
    chain = g_list_append(chain, dialog.noSound);
    chain = g_list_append(chain, dialog.fill);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(dialog.fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
}

// Connected after the initial states so that only the viewer's clicks write settings.
void connectSignals(Dialog& dialog) {
    for (size_t i = 0; i < G_N_ELEMENTS(dialog.radios); ++i)
        g_signal_connect(dialog.radios[i], "toggled", G_CALLBACK(onResolution), &dialog.choices[i]);
    g_signal_connect(dialog.fullScreen, "toggled", G_CALLBACK(onFullScreen), &dialog);
    g_signal_connect(dialog.noSound, "toggled", G_CALLBACK(onNoSound), &dialog);
    g_signal_connect(dialog.fill, "toggled", G_CALLBACK(onFill), &dialog);
    g_signal_connect(dialog.run, "clicked", G_CALLBACK(onRun), &dialog);
    g_signal_connect(dialog.cancel, "clicked", G_CALLBACK(onCancel), &dialog);
    g_signal_connect(dialog.toplevel, "delete-event", G_CALLBACK(onDelete), &dialog);
    g_signal_connect(dialog.toplevel, "key-press-event", G_CALLBACK(onKey), &dialog);
}

// Shows the dialog with the focus on Run! until it ends, then takes it off the screen
// before the render window opens.
void runUntilDone(Dialog& dialog) {
    gtk_widget_show_all(dialog.toplevel);
    gtk_widget_grab_focus(dialog.run);
    gtk_window_present(GTK_WINDOW(dialog.toplevel));
    gtk_main();

    gtk_widget_destroy(dialog.toplevel);
    while (gtk_events_pending())
        gtk_main_iteration();
}

} // namespace

void runLaunchDialog(GLWindow& window) {
    // GTK is set up once per process. It must not change the C locale: numbers in the
    // log and in files are read and written with a decimal point.
    static const bool haveDisplay = [] {
        gtk_disable_setlocale();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    if (!haveDisplay)
        return; // the defaults stand, and the render window says why it can't open

    Dialog dialog;
    dialog.window = &window;
    ResolutionChoice choices[G_N_ELEMENTS(dialog.radios)];
    dialog.choices = choices;
    createWindow(dialog);
    addControls(dialog, window);
    setFocusChain(dialog);
    connectSignals(dialog);
    runUntilDone(dialog);
}
