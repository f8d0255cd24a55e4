// Shows the launch dialog on GLWindow defaults and reports what happens, for the dialog
// tests: once the dialog is on screen, its X window and every control (kind, place in
// the window, size, state, text); each change of a check or radio box; and at the end
// the settings the dialog left in the GLWindow.
#include "app/gl_window.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>

namespace {

const char* kindOf(GtkWidget* widget) {
    if (GTK_IS_RADIO_BUTTON(widget))
        return "radio";
    if (GTK_IS_CHECK_BUTTON(widget))
        return "check";
    if (GTK_IS_BUTTON(widget))
        return "button";
    if (GTK_IS_LABEL(widget))
        return "label";
    if (GTK_IS_FRAME(widget))
        return "frame";
    return "other";
}

const char* textOf(GtkWidget* widget) {
    if (GTK_IS_BUTTON(widget))
        return gtk_button_get_label(GTK_BUTTON(widget));
    if (GTK_IS_LABEL(widget))
        return gtk_label_get_text(GTK_LABEL(widget));
    if (GTK_IS_FRAME(widget))
        return gtk_frame_get_label(GTK_FRAME(widget));
    return "";
}

int activeOf(GtkWidget* widget) {
    return GTK_IS_TOGGLE_BUTTON(widget) ? gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) : -1;
}

void onToggled(GtkToggleButton* button, gpointer) {
    std::printf("toggled %d %s\n", activeOf(GTK_WIDGET(button)), textOf(GTK_WIDGET(button)));
    std::fflush(stdout);
}

void report(GtkWidget* toplevel) {
    GtkWidget* fixed = gtk_bin_get_child(GTK_BIN(toplevel));
    std::printf("dialog %lu %d %d %s\n",
                static_cast<unsigned long>(gdk_x11_window_get_xid(gtk_widget_get_window(toplevel))),
                gtk_widget_get_allocated_width(toplevel), gtk_widget_get_allocated_height(toplevel),
                gtk_window_get_title(GTK_WINDOW(toplevel)));
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
    GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
    for (GList* item = children; item; item = item->next) {
        GtkWidget* child = GTK_WIDGET(item->data);
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(child, toplevel, 0, 0, &x, &y);
        std::printf("control %s %d %d %d %d %d %d %s\n", kindOf(child), x, y,
                    gtk_widget_get_allocated_width(child), gtk_widget_get_allocated_height(child),
                    activeOf(child), child == focus ? 1 : 0, textOf(child));
        if (GTK_IS_TOGGLE_BUTTON(child))
            g_signal_connect(child, "toggled", G_CALLBACK(onToggled), nullptr);
    }
    g_list_free(children);
    std::printf("ready\n");
    std::fflush(stdout);
}

// Polls until the dialog is mapped and laid out, then reports it once.
gboolean lookForDialog(gpointer) {
    GList* toplevels = gtk_window_list_toplevels();
    bool found = false;
    for (GList* item = toplevels; item && !found; item = item->next) {
        GtkWidget* toplevel = GTK_WIDGET(item->data);
        GdkWindow* window = gtk_widget_get_window(toplevel);
        if (window && gtk_widget_get_mapped(toplevel) && gdk_window_is_viewable(window) &&
            gtk_bin_get_child(GTK_BIN(toplevel))) {
            report(toplevel);
            found = true;
        }
    }
    g_list_free(toplevels);
    return found ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

} // namespace

int main() {
    GLWindow window;
    window.setDefaults();
    g_timeout_add(50, lookForDialog, nullptr);
    runLaunchDialog(window);
    std::printf("settings width=%d height=%d fullScreen=%d noSound=%d cancelled=%d desktop=%d fill=%d\n",
                window.width, window.height, window.fullScreen ? 1 : 0, window.noSound ? 1 : 0,
                window.cancelled ? 1 : 0, window.desktopResolution ? 1 : 0, window.fill ? 1 : 0);
    return 0;
}
