#include "shell/gtk/GtkWindowHost.h"

#include <cmath>
#include <optional>

#include "render/cairo/CairoCanvas.h"
#include "render/cairo/PangoTextEngine.h"
#include "shell/gtk/DropList.h"

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
    // The layouts have no sizing frame: the window keeps the size its code gives it.
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    if (composited && (attrs.layered || attrs.showShadow)) {
        if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen))
            gtk_widget_set_visual(window_, rgba);
    }
    shaped_ = !composited && attrs.layered;
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
    g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkWindowHost::OnDelete), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(&GtkWindowHost::OnState), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(&GtkWindowHost::OnKey), this);
    // The outline follows what the window shows when it appears (its code sets it up first).
    g_signal_connect_swapped(window_, "map",
                             G_CALLBACK(+[](GtkWindowHost* self) { self->UpdateShape(); }), this);
    // On a scaled desktop GTK hands us a surface of that many pixels per layout pixel.
    g_signal_connect_swapped(
        window_, "notify::scale-factor", G_CALLBACK(+[](GtkWindowHost* self) {
            self->owner_.Manager().SetDeviceScale(gtk_widget_get_scale_factor(self->window_));
        }),
        this);
    manager.SetDeviceScale(gtk_widget_get_scale_factor(window_));
    ResizeClient(attrs.size);
    gtk_widget_show_all(fixed_);
}

GtkWindowHost::~GtkWindowHost() { Destroy(); }

std::unique_ptr<NativeWindow> CreateNativeWindow(WindowBase& window, const std::string& caption,
                                                 const std::string& className,
                                                 NativeWindow* owner) {
    auto* ownerHost = static_cast<GtkWindowHost*>(owner);
    return std::make_unique<GtkWindowHost>(window, caption, className,
                                           ownerHost ? ownerHost->Window() : nullptr);
}

void GtkWindowHost::Show(bool show) {
    if (show)
        gtk_widget_show(window_);
    else
        gtk_widget_hide(window_);
}

bool GtkWindowHost::Visible() const { return window_ && gtk_widget_get_visible(window_); }

void GtkWindowHost::SetModal(bool modal) { gtk_window_set_modal(Window(), modal); }

void GtkWindowHost::MoveTo(Point screen) { gtk_window_move(Window(), screen.x, screen.y); }

Point GtkWindowHost::Position() const {
    Point p;
    gtk_window_get_position(Window(), &p.x, &p.y);
    return p;
}

void GtkWindowHost::Minimize() { gtk_window_iconify(Window()); }

void GtkWindowHost::Restore() {
    gtk_window_deiconify(Window());
    gtk_window_present(Window());
}

bool GtkWindowHost::SetIcon(const std::vector<std::uint8_t>& picture) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    const bool ok = gdk_pixbuf_loader_write(loader, picture.data(), picture.size(), nullptr) &&
                    gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* icon = ok ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (!ok) gdk_pixbuf_loader_close(loader, nullptr);
    if (icon) gtk_window_set_icon(Window(), icon);
    g_object_unref(loader);
    return icon != nullptr;
}

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
    UpdateShape();
    gtk_widget_queue_draw(window_);
}

void GtkWindowHost::UpdateShape() {
    if (!shaped_) return;
    const Size client = owner_.Manager().ClientSize();
    if (client.cx <= 0 || client.cy <= 0) return;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, client.cx, client.cy);
    cairo_t* cr = cairo_create(mask);
    CairoCanvas canvas(cr);
    owner_.Manager().Paint(canvas, {0, 0, client.cx, client.cy});
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    // A layout painted without any opaque pixel keeps its plain rectangle.
    if (!cairo_region_is_empty(region)) gtk_widget_shape_combine_region(window_, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
}

void GtkWindowHost::Invalidate(const Rect& rect) {
    if (area_ && window_)
        gtk_widget_queue_draw_area(area_, rect.left, rect.top, rect.Width(), rect.Height());
}

gboolean GtkWindowHost::OnDrawFrame(GtkWidget*, cairo_t* cr, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    // Under a shape the edge pixels that stay blend with white rather than black.
    if (self->shaped_)
        cairo_set_source_rgb(cr, 1, 1, 1);
    else
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

bool GtkWindowHost::StartDragIfCaption(GdkEventButton* e, Point pt) {
    UiManager& manager = owner_.Manager();
    const WindowAttributes& attrs = manager.Window();
    const Size client = manager.ClientSize();
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
        if (self->StartDragIfCaption(e, pt)) return TRUE;
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

gboolean GtkWindowHost::OnDelete(GtkWidget*, GdkEvent*, gpointer p) {
    static_cast<GtkWindowHost*>(p)->owner_.Close(0);
    return TRUE;
}

gboolean GtkWindowHost::OnState(GtkWidget*, GdkEventWindowState* e, gpointer p) {
    static_cast<GtkWindowHost*>(p)->minimized_ =
        (e->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    return FALSE;
}

namespace {

std::optional<Key> MapKey(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:
        case GDK_KEY_KP_Tab:
            return Key::Tab;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
            return Key::Enter;
        case GDK_KEY_space:
        case GDK_KEY_KP_Space:
            return Key::Space;
        case GDK_KEY_Escape:
            return Key::Escape;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            return Key::Up;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            return Key::Down;
        default:
            return std::nullopt;
    }
}

}  // namespace

gboolean GtkWindowHost::OnKey(GtkWidget*, GdkEventKey* e, gpointer p) {
    auto* self = static_cast<GtkWindowHost*>(p);
    // Without a window manager nobody turns Alt+F4 into a close request; do it here.
    if (e->keyval == GDK_KEY_F4 && (e->state & GDK_MOD1_MASK)) {
        self->owner_.Close(0);
        return TRUE;
    }
    const std::optional<Key> key = MapKey(e->keyval);
    if (!key) return FALSE;
    const bool shift = (e->state & GDK_SHIFT_MASK) != 0 || e->keyval == GDK_KEY_ISO_Left_Tab;
    if (self->editing_) {
        // The native entry keeps its own keys; Tab, Enter and Escape leave it.
        if (*key != Key::Tab && *key != Key::Enter && *key != Key::Escape) return FALSE;
        if (*key != Key::Tab) {
            self->EndEdit();
            gtk_widget_grab_focus(self->area_);
        }
    }
    if (self->owner_.Manager().Capture()) return TRUE;  // a press in progress owns the input
    WindowBase& window = self->owner_;
    window.KeyDown(*key, shift);
    // The window may have closed itself; touch nothing of it then.
    if (self->window_ && !self->editing_ && !gtk_widget_has_focus(self->area_))
        gtk_widget_grab_focus(self->area_);
    return TRUE;
}

gboolean GtkWindowHost::OnTimerTick(gpointer data) {
    const TimerData d = *static_cast<TimerData*>(data);
    if (d.control)
        d.host->owner_.Manager().OnTimerToken(d.key);
    else
        DeliverWindowTimer(d.host->owner_, d.key);
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
    gtk_entry_set_alignment(GTK_ENTRY(entry_), owner_.Manager().IsRightToLeft() ? 1.0f : 0.0f);
    gtk_widget_set_direction(entry_, GTK_TEXT_DIR_LTR);
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
