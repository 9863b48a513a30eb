#include "shell/gtk/DropList.h"

#include <algorithm>

#include "render/cairo/CairoCanvas.h"

namespace toolkit {
namespace {

class DropList {
public:
    DropList(ComboUI& combo, GtkWidget* anchor) : combo_(combo) {
        const Rect box = combo.GetPos();
        const Size view = combo.DropListViewSize();
        width_ = view.cx;
        height_ = view.cy;
        scroll_ = combo.DropListScrollFor(height_);
        hot_ = combo.GetCurSel();
        popup_ = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_window_set_transient_for(GTK_WINDOW(popup_),
                                     GTK_WINDOW(gtk_widget_get_toplevel(anchor)));
        gtk_window_set_default_size(GTK_WINDOW(popup_), width_, height_);
        GtkWidget* area = gtk_drawing_area_new();
        gtk_widget_set_size_request(area, width_, height_);
        gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                        GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK |
                                        GDK_KEY_PRESS_MASK);
        gtk_container_add(GTK_CONTAINER(popup_), area);
        int ox = 0, oy = 0;
        gdk_window_get_origin(gtk_widget_get_window(anchor), &ox, &oy);
        gtk_window_move(GTK_WINDOW(popup_), ox + box.left, oy + box.bottom);
        g_signal_connect(area, "draw", G_CALLBACK(&DropList::OnDraw), this);
        g_signal_connect(popup_, "destroy", G_CALLBACK(&DropList::OnDestroyed), this);
        g_signal_connect(popup_, "button-press-event", G_CALLBACK(&DropList::OnPress), this);
        g_signal_connect(area, "motion-notify-event", G_CALLBACK(&DropList::OnMotion), this);
        g_signal_connect(area, "scroll-event", G_CALLBACK(&DropList::OnScroll), this);
        g_signal_connect(popup_, "key-press-event", G_CALLBACK(&DropList::OnKey), this);
        gtk_widget_add_events(popup_, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
        gtk_widget_show_all(popup_);
        GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(popup_));
        gdk_seat_grab(seat, gtk_widget_get_window(popup_), GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr,
                      nullptr, nullptr, nullptr);
    }

private:
    void Close(int chosen, bool activate = false) {
        GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(popup_));
        gdk_seat_ungrab(seat);
        g_signal_handlers_disconnect_by_data(popup_, this);
        gtk_widget_destroy(popup_);
        ComboUI& combo = combo_;
        delete this;
        if (chosen < 0) return;
        if (activate)
            combo.ActivateItem(chosen);
        else
            combo.SelectItem(chosen, true);
    }

    static void OnDestroyed(GtkWidget* popup, gpointer p) {
        gdk_seat_ungrab(gdk_display_get_default_seat(gtk_widget_get_display(popup)));
        delete static_cast<DropList*>(p);
    }
    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer p) {
        auto* self = static_cast<DropList*>(p);
        CairoCanvas canvas(cr);
        self->combo_.PaintDropList(canvas, {0, 0, self->width_, self->height_}, self->scroll_,
                                   self->hot_);
        return TRUE;
    }
    static gboolean OnPress(GtkWidget*, GdkEventButton* e, gpointer p) {
        auto* self = static_cast<DropList*>(p);
        const bool inside = e->x >= 0 && e->y >= 0 && e->x < self->width_ && e->y < self->height_;
        const int item =
            inside ? self->combo_.DropListItemAt(static_cast<int>(e->y), self->scroll_) : -1;
        if (item >= 0 && !self->combo_.GetItemAt(item)->IsEnabled()) return TRUE;
        self->Close(item);
        return TRUE;
    }
    static gboolean OnMotion(GtkWidget* w, GdkEventMotion* e, gpointer p) {
        auto* self = static_cast<DropList*>(p);
        const int hot = self->combo_.DropListItemAt(static_cast<int>(e->y), self->scroll_);
        if (hot != self->hot_) {
            self->hot_ = hot;
            gtk_widget_queue_draw(w);
        }
        return TRUE;
    }
    static gboolean OnScroll(GtkWidget* w, GdkEventScroll* e, gpointer p) {
        auto* self = static_cast<DropList*>(p);
        const int range = std::max(0, self->combo_.DropListHeight() - self->height_);
        const int delta = e->direction == GDK_SCROLL_UP     ? -22
                          : e->direction == GDK_SCROLL_DOWN ? 22
                                                            : 0;
        self->scroll_ = std::clamp(self->scroll_ + delta, 0, range);
        gtk_widget_queue_draw(w);
        return TRUE;
    }
    static gboolean OnKey(GtkWidget*, GdkEventKey* e, gpointer p) {
        auto* self = static_cast<DropList*>(p);
        const int count = self->combo_.GetCount();
        if (e->keyval == GDK_KEY_Escape) {
            self->Close(-1);
        } else if (e->keyval == GDK_KEY_Return || e->keyval == GDK_KEY_KP_Enter) {
            self->Close(self->hot_, true);
        } else if ((e->keyval == GDK_KEY_Down || e->keyval == GDK_KEY_Up) && count > 0) {
            const int start = self->hot_ >= 0 ? self->hot_ : self->combo_.GetCurSel();
            self->hot_ = std::clamp(start + (e->keyval == GDK_KEY_Down ? 1 : -1), 0, count - 1);
            self->scroll_ =
                self->combo_.DropListScrollToShow(self->hot_, self->height_, self->scroll_);
            gtk_widget_queue_draw(self->popup_);
        }
        return TRUE;
    }

    ComboUI& combo_;
    GtkWidget* popup_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int scroll_ = 0;
    int hot_ = -1;
};

}  // namespace

void OpenDropList(ComboUI& combo, GtkWidget* anchor) { new DropList(combo, anchor); }

}  // namespace toolkit
