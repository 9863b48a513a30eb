// One top-level GTK window showing a WindowBase's control tree: painting, pointer input,
// caption dragging and resize borders, timers, the native entry over Edit controls and the
// combo drop list.
#pragma once

#include <gtk/gtk.h>

#include <map>

#include "shell/NativeWindow.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/WindowBase.h"

namespace toolkit {

class GtkWindowHost : public NativeWindow {
public:
    GtkWindowHost(WindowBase& window, const std::string& caption, const std::string& className,
                  GtkWindow* owner);
    ~GtkWindowHost() override;

    GtkWindow* Window() const { return GTK_WINDOW(window_); }

    // NativeWindow
    bool Alive() const override { return window_ != nullptr; }
    void Destroy() override;
    void Show(bool show) override;
    bool Visible() const override;
    void SetModal(bool modal) override;
    void ResizeClient(Size size) override;
    int Margin() const override { return margin_; }
    void MoveTo(Point screen) override;
    Point Position() const override;
    void Minimize() override;
    void Restore() override;
    bool Minimized() const override { return minimized_; }
    bool SetIcon(const std::vector<std::uint8_t>& picture) override;
    bool StartWindowTimer(int id, unsigned intervalMs) override;
    void StopWindowTimer(int id) override;

    // WindowHost
    void Invalidate(const Rect& rect) override;
    void StartTimer(int token, unsigned intervalMs) override;
    void StopTimer(int token) override;
    void BeginEdit(EditUI& edit) override;
    void ShowDropList(ComboUI& combo) override;
    void EndEdit() override;

private:
    struct TimerData {
        GtkWindowHost* host;
        int key;
        bool control;
    };
    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnDrawFrame(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnButton(GtkWidget*, GdkEventButton* e, gpointer self);
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* e, gpointer self);
    static gboolean OnLeave(GtkWidget*, GdkEventCrossing* e, gpointer self);
    static gboolean OnScroll(GtkWidget*, GdkEventScroll* e, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnState(GtkWidget*, GdkEventWindowState* e, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* e, gpointer self);
    static gboolean OnTimerTick(gpointer data);
    // Without a compositor transparent pixels show black: cut the window to its painted outline.
    void UpdateShape();
    bool StartDragIfCaption(GdkEventButton* e, Point pt);
    void UpdateCursor();

    WindowBase& owner_;
    GtkWidget* window_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    GtkWidget* area_ = nullptr;
    GtkWidget* entry_ = nullptr;
    EditUI* editing_ = nullptr;
    int margin_ = 0;
    bool minimized_ = false;
    bool shaped_ = false;
    bool handCursor_ = false;
    std::map<int, guint> controlTimers_;
    std::map<int, guint> windowTimers_;
};

}  // namespace toolkit
