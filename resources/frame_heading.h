/*
 * The frame's backdrop (bitmap IDB_FRAME) carries the product's heading in
 * its top rows and is stretched over the frame's whole client area. Pages
 * and the licence dialog stand below that heading at every DPI.
 */
#ifndef FRAME_HEADING_H
#define FRAME_HEADING_H

#include <windows.h>

/* Rows of the backdrop, and the first row below its heading's rule. */
#define FRAME_BITMAP_ROWS    240
#define FRAME_HEADING_ROWS   76

/* Centres a dialog in the part of its frame below the heading; where it
 * does not fit there, its top meets the heading's bottom as nearly as the
 * screen allows. */
static inline void PlaceBelowFrameHeading(HWND dialog, HWND frame)
{
    RECT client, box;
    if (!frame || !GetClientRect(frame, &client) || !GetWindowRect(dialog, &box))
        return;
    MapWindowPoints(frame, NULL, (POINT *)&client, 2);
    int headingBottom = client.top + (client.bottom - client.top) * FRAME_HEADING_ROWS / FRAME_BITMAP_ROWS;
    int width = box.right - box.left, height = box.bottom - box.top;
    int top = headingBottom + (client.bottom - headingBottom - height) / 2;
    if (top < headingBottom)
        top = client.bottom - height > headingBottom ? headingBottom : client.bottom - height;
    if (top < client.top)
        top = client.top;
    int left = client.left + (client.right - client.left - width) / 2;
    SetWindowPos(dialog, NULL, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

#endif
