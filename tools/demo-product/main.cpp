// The demo products the vendor stand offers: a small window that says which product is
// installed and its version. One source, built once per product with its name and version.
#include <gtk/gtk.h>

#include <string>

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), CVD_PRODUCT_NAME);
    gtk_window_set_default_size(GTK_WINDOW(window), 420, 160);
    const std::string text = std::string("<big><b>") + CVD_PRODUCT_NAME + "</b></big>\n\nVersion " +
                             CVD_PRODUCT_VERSION + " is installed.";
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), text.c_str());
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    gtk_container_add(GTK_CONTAINER(window), label);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
