#include "shell/GtkWindowHost.h"

#include <cmath>

#include "render/CairoCanvas.h"
#include "render/PangoTextEngine.h"
#include "shell/DropList.h"

namespace toolkit {

GtkWindowHost::GtkWindowHost(WindowBase& window, const std::string& caption,
                             const std::string& className, GtkWindow* owner)
    : owner_(window) {
    UiManager& manager = owner_.Manager();
    const WindowAttributes& attrs = manager.Window();
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
    gtk_window_set_role(GTK_WINDOW(window_), className.c_str());
    gtk_widget_set_name(window_, className.c_str());
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    if (owner) gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
    gtk_widget_set_app_paintable(window_, TRUE);
    GdkScreen* screen = gtk_widget_get_screen(window_);
    const bool composited = gdk_screen_is_composited(screen);
    if (attrs.layered || attrs.showShadow) {
        if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen))
            gtk_widget_set_visual(window_, rgba);
    }
    if (attrs.showShadow && composited) margin_ = attrs.shadowSize;

    fixed_ = gtk_fixed_new();
    area_ = gtk_drawing_area_new();
    gtk_widget_set_can_focus(area_, TRUE);
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                     GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK |
                                     GDK_SCROLL_MASK);
    gtk_fixed_put(GTK_FIXED(fixed_), area_, margin_, margin_);
    gtk_container_add(GTK_CONTAINER(window_), fixed_);

    g_signal_connect(area_, "draw", G_CALLBACK(&GtkWindowHost::OnDraw), this);
    g_signal_connect(window_, "draw", G_CALLBACK(&GtkWindowHost::OnDrawFrame), this);
    g_signal_connect(area_, "button-press-event", G_CALLBACK(&GtkWindowHost::OnButton), this);
    g_signal_connect(area_, "button-release-event", G_CALLBACK(&GtkWindowHost::OnButton), this);
    g_signal_connect(area_, "motion-notify-event", G_CALLBACK(&GtkWindowHost::OnMotion), this);
    g_signal_connect(area_, "leave-notify-event", G_CALLBACK(&GtkWindowHost::OnLeave), this);
    g_signal_connect(area_, "scroll-event", G_CALLBACK(&GtkWindowHost::OnScroll), this);
    gtk_widget_add_events(window_, GDK_KEY_PRESS_MASK);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(&GtkWindowHost::OnKey), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkWindowHost::OnDelete), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(&GtkWindowHost::OnState), this);
    ResizeClient(attrs.size);
    gtk_widget_show_all(fixed_);
}

GtkWindowHost::~GtkWindowHost() { Destroy(); }

void GtkWindowHost::Destroy() {
    for (auto& [token, source] : controlTimers_) g_source_remove(source);
    for (auto& [id, source] : windowTimers_) g_source_remove(source);
    controlTimers_.clear();
    windowTimers_.clear();
    editing_ = nullptr;
    if (window_) {
        GtkWidget* w = window_;
        window_ = nullptr;
        g_signal_handlers_disconnect_by_data(w, this);
        g_signal_handlers_disconnect_by_data(area_, this);
        if (entry_) g_signal_handlers_disconnect_by_data(entry_, this);
        gtk_widget_destroy(w);
    }
}

void GtkWindowHost::ResizeClient(Size size) {
    owner_.Manager().SetClientSize(size);
    gtk_widget_set_size_request(area_, size.cx, size.cy);
    gtk_window_resize(GTK_WINDOW(window_), size.cx + 2 * margin_, size.cy + 2 * margin_);
    gtk_widget_queue_draw(window_);
}

void GtkWindowHost::Invalidate(const Rect& rect) {
    if (area_ && window_)
        gtk_widget_queue_draw_area(area_, rect.left, rect.top, rect.Width(), rect.Height());
}

gboolean GtkWindowHost::OnDrawFrame(GtkWidget*, cairo_t* cr, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    const int m = self->margin_;
    if (m > 0) {
        // A soft edge: rings that fade out towards the border.
        const Size client = self->owner_.Manager().ClientSize();
        for (int i = 0; i < m; ++i) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0.10 * (i + 1) / m);
            cairo_rectangle(cr, i, i, client.cx + 2 * (m - i), client.cy + 2 * (m - i));
            cairo_rectangle(cr, i + 1, i + 1, client.cx + 2 * (m - i) - 2,
                            client.cy + 2 * (m - i) - 2);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_fill(cr);
        }
    }
    return FALSE;
}

gboolean GtkWindowHost::OnDraw(GtkWidget*, cairo_t* cr, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const Rect clip{static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                    static_cast<int>(std::ceil(x2)), static_cast<int>(std::ceil(y2))};
    CairoCanvas canvas(cr);
    self->owner_.Manager().Paint(canvas, clip);
    return TRUE;
}

bool GtkWindowHost::StartDragIfFrame(GdkEventButton* e, Point pt) {
    UiManager& manager = owner_.Manager();
    const WindowAttributes& attrs = manager.Window();
    const Size client = manager.ClientSize();
    const Rect& box = attrs.sizeBox;
    GdkWindowEdge edge;
    const bool left = pt.x < box.left, right = pt.x >= client.cx - box.right;
    const bool top = pt.y < box.top, bottom = pt.y >= client.cy - box.bottom;
    if (gtk_window_get_resizable(GTK_WINDOW(window_)) && (left || right || top || bottom)) {
        edge = top      ? (left    ? GDK_WINDOW_EDGE_NORTH_WEST
                           : right ? GDK_WINDOW_EDGE_NORTH_EAST
                                   : GDK_WINDOW_EDGE_NORTH)
               : bottom ? (left    ? GDK_WINDOW_EDGE_SOUTH_WEST
                           : right ? GDK_WINDOW_EDGE_SOUTH_EAST
                                   : GDK_WINDOW_EDGE_SOUTH)
               : left   ? GDK_WINDOW_EDGE_WEST
                        : GDK_WINDOW_EDGE_EAST;
        gtk_window_begin_resize_drag(GTK_WINDOW(window_), edge, static_cast<int>(e->button),
                                     static_cast<int>(e->x_root), static_cast<int>(e->y_root),
                                     e->time);
        return true;
    }
    const Rect& c = attrs.caption;
    const Rect band{c.left, c.top, client.cx - c.right, c.bottom};
    if (!band.Contains(pt)) return false;
    Control* hit = manager.FindControlAt(pt);
    if (hit && hit->TakesCaptionClicks()) return false;
    gtk_window_begin_move_drag(GTK_WINDOW(window_), static_cast<int>(e->button),
                               static_cast<int>(e->x_root), static_cast<int>(e->y_root), e->time);
    return true;
}

gboolean GtkWindowHost::OnButton(GtkWidget*, GdkEventButton* e, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    if (e->button != 1) return FALSE;
    const Point pt{static_cast<int>(e->x), static_cast<int>(e->y)};
    UiManager& manager = self->owner_.Manager();
    if (e->type == GDK_BUTTON_PRESS) {
        self->EndEdit();
        gtk_widget_grab_focus(self->area_);
        if (self->StartDragIfFrame(e, pt)) return TRUE;
        manager.OnButtonDown(pt);
    } else if (e->type == GDK_2BUTTON_PRESS) {
        manager.OnDoubleClick(pt);
    } else if (e->type == GDK_BUTTON_RELEASE) {
        manager.OnButtonUp(pt);
    }
    return TRUE;
}

void GtkWindowHost::UpdateCursor() {
    Control* hover = owner_.Manager().Hover();
    const bool hand = hover && hover->IsHandCursor() && hover->IsEnabled();
    if (hand == handCursor_ || !gtk_widget_get_window(area_)) return;
    handCursor_ = hand;
    GdkCursor* cursor =
        hand ? gdk_cursor_new_from_name(gtk_widget_get_display(area_), "pointer") : nullptr;
    gdk_window_set_cursor(gtk_widget_get_window(area_), cursor);
    if (cursor) g_object_unref(cursor);
}

gboolean GtkWindowHost::OnMotion(GtkWidget*, GdkEventMotion* e, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    self->owner_.Manager().OnMouseMove({static_cast<int>(e->x), static_cast<int>(e->y)});
    self->UpdateCursor();
    return TRUE;
}

gboolean GtkWindowHost::OnLeave(GtkWidget*, GdkEventCrossing*, gpointer p) {
    static_cast<GtkWindowHost*>(p)->owner_.Manager().OnMouseLeave();
    return FALSE;
}

gboolean GtkWindowHost::OnScroll(GtkWidget*, GdkEventScroll* e, gpointer p) {
    int delta = 0;
    if (e->direction == GDK_SCROLL_UP)
        delta = 120;
    else if (e->direction == GDK_SCROLL_DOWN)
        delta = -120;
    else if (e->direction == GDK_SCROLL_SMOOTH)
        delta = e->delta_y < 0 ? 120 : (e->delta_y > 0 ? -120 : 0);
    if (delta)
        static_cast<GtkWindowHost*>(p)->owner_.Manager().OnWheel(
            {static_cast<int>(e->x), static_cast<int>(e->y)}, delta);
    return TRUE;
}

gboolean GtkWindowHost::OnKey(GtkWidget*, GdkEventKey* e, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    // The native entry keeps its own keys while the user types a folder, except Enter/Escape.
    switch (e->keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
            return self->owner_.OnEnterKey();
        case GDK_KEY_Escape:
            return self->owner_.OnEscapeKey();
        case GDK_KEY_F4:
            // Without a window manager nobody turns Alt+F4 into a close request; do it here.
            if (e->state & GDK_MOD1_MASK) {
                self->owner_.Close(0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

gboolean GtkWindowHost::OnDelete(GtkWidget*, GdkEvent*, gpointer p) {
    static_cast<GtkWindowHost*>(p)->owner_.Close(0);
    return TRUE;
}

gboolean GtkWindowHost::OnState(GtkWidget*, GdkEventWindowState* e, gpointer p) {
    static_cast<GtkWindowHost*>(p)->minimized_ =
        (e->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    return FALSE;
}

gboolean GtkWindowHost::OnTimerTick(gpointer data) {
    const TimerData d = *static_cast<TimerData*>(data);
    if (d.control)
        d.host->owner_.Manager().OnTimerToken(d.key);
    else
        d.host->owner_.OnTimer(d.key);
    return G_SOURCE_CONTINUE;
}

void GtkWindowHost::StartTimer(int token, unsigned intervalMs) {
    StopTimer(token);
    controlTimers_[token] = g_timeout_add_full(
        G_PRIORITY_DEFAULT, intervalMs, &GtkWindowHost::OnTimerTick,
        new TimerData{this, token, true}, [](gpointer d) { delete static_cast<TimerData*>(d); });
}

void GtkWindowHost::StopTimer(int token) {
    if (auto it = controlTimers_.find(token); it != controlTimers_.end()) {
        g_source_remove(it->second);
        controlTimers_.erase(it);
    }
}

bool GtkWindowHost::StartWindowTimer(int id, unsigned intervalMs) {
    if (!window_) return false;
    StopWindowTimer(id);
    windowTimers_[id] = g_timeout_add_full(
        G_PRIORITY_DEFAULT, intervalMs, &GtkWindowHost::OnTimerTick, new TimerData{this, id, false},
        [](gpointer d) { delete static_cast<TimerData*>(d); });
    return true;
}

void GtkWindowHost::StopWindowTimer(int id) {
    if (auto it = windowTimers_.find(id); it != windowTimers_.end()) {
        g_source_remove(it->second);
        windowTimers_.erase(it);
    }
}

void GtkWindowHost::BeginEdit(EditUI& edit) {
    EndEdit();
    if (!entry_) {
        entry_ = gtk_entry_new();
        gtk_entry_set_has_frame(GTK_ENTRY(entry_), FALSE);
        gtk_fixed_put(GTK_FIXED(fixed_), entry_, 0, 0);
        g_signal_connect_swapped(entry_, "activate",
                                 G_CALLBACK(+[](GtkWindowHost* self) { self->EndEdit(); }), this);
        // The control follows every keystroke, so code reading it mid-edit sees what is typed.
        g_signal_connect_swapped(
            entry_, "changed", G_CALLBACK(+[](GtkWindowHost* self) {
                if (self->editing_)
                    self->editing_->SetText(gtk_entry_get_text(GTK_ENTRY(self->entry_)));
            }),
            this);
        g_signal_connect_swapped(entry_, "focus-out-event",
                                 G_CALLBACK(+[](GtkWindowHost* self) -> gboolean {
                                     self->EndEdit();
                                     return FALSE;
                                 }),
                                 this);
    }
    const Rect r = edit.TextRect();
    gtk_fixed_move(GTK_FIXED(fixed_), entry_, margin_ + r.left, margin_ + r.top);
    gtk_widget_set_size_request(entry_, r.Width(), r.Height());
    PangoFontDescription* font = MakeFontDescription(owner_.Manager().Font(edit.GetFont()));
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_widget_override_font(entry_, font);
    G_GNUC_END_IGNORE_DEPRECATIONS
    pango_font_description_free(font);
    gtk_entry_set_text(GTK_ENTRY(entry_), edit.GetText().c_str());
    editing_ = &edit;
    edit.SetEditing(true);
    gtk_widget_show(entry_);
    gtk_widget_grab_focus(entry_);
    if (edit.IsAutoSelAll())
        gtk_editable_select_region(GTK_EDITABLE(entry_), 0, -1);
    else
        gtk_editable_set_position(GTK_EDITABLE(entry_), -1);
}

void GtkWindowHost::EndEdit() {
    if (!editing_ || !entry_) return;
    EditUI* edit = editing_;
    editing_ = nullptr;
    edit->SetText(gtk_entry_get_text(GTK_ENTRY(entry_)));
    edit->SetEditing(false);
    gtk_widget_hide(entry_);
}

void GtkWindowHost::ShowDropList(ComboUI& combo) { OpenDropList(combo, area_); }

}  // namespace toolkit
