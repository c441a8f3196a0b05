// The floor peer of bench/credits_cpu.sh: the least any X11 client can make itself
// and the X server spend to change a window's picture every 10 ms. No toolkit: xcb
// alone, a window of the credits' size, a picture kept in the server, and a thread
// that sleeps to each 10 ms deadline and then copies ROWS rows of that picture into
// the window, a few rows further down each tick (ROWS 0: it only wakes).
//
//   credits_floor [ROWS]      (default 20)
#include <xcb/xcb.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char* argv[])
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20;
    constexpr uint16_t kWidth = 385;
    constexpr uint16_t kHeight = 307;
    constexpr uint16_t kPictureHeight = 1200;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t windowValues[] = {screen->black_pixel, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, kWidth, kHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      windowValues);
    const char title[] = "credits peer";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof title - 1,
                        title);
    xcb_map_window(c, window);

    // White bars on black, about as much ink as lines of text.
    const xcb_pixmap_t picture = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, picture, window, kWidth, kPictureHeight);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t gcValues[] = {screen->black_pixel, 0};
    xcb_create_gc(c, gc, picture, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, gcValues);
    const xcb_rectangle_t all{0, 0, kWidth, kPictureHeight};
    xcb_poly_fill_rectangle(c, picture, gc, 1, &all);
    const uint32_t white[] = {screen->white_pixel};
    xcb_change_gc(c, gc, XCB_GC_FOREGROUND, white);
    for (int16_t y = 0; y < kPictureHeight; y += 16) {
        const xcb_rectangle_t bar{40, y, 300, 10};
        xcb_poly_fill_rectangle(c, picture, gc, 1, &bar);
    }
    xcb_flush(c);

    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    int offset = 0;
    for (;;) {
        deadline.tv_nsec += 10'000'000;
        if (deadline.tv_nsec >= 1'000'000'000) {
            deadline.tv_nsec -= 1'000'000'000;
            ++deadline.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c))
            std::free(event);
        if (xcb_connection_has_error(c))
            return 1;
        if (rows > 0) {
            offset = (offset + 3) % (kPictureHeight - kHeight);
            xcb_copy_area(c, picture, window, gc, 0, int16_t(offset), 0, 0, kWidth, uint16_t(rows));
            xcb_flush(c);
        }
    }
}
