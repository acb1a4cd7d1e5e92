/* The Ucan interface header must build as plain C: drivers in C include it too.
 * Its own static assertions check the record layout; this checks the wire order. */
#include <stdio.h>
#include <string.h>

#include "ucan.h"

int main(void) {
    CanFrame frame;
    unsigned char bytes[sizeof(CanFrame)];
    memset(&frame, 0, sizeof frame);
    frame.Id = 0x18B03F07u;
    frame.FrameFormat = UCAN_FORMAT_EXTENDED | UCAN_FORMAT_REMOTE;
    frame.Dlc = 8;
    frame.Data[7] = 0x5A;
    frame.Time = 0x01020304u;
    memcpy(bytes, &frame, sizeof bytes);
    /* Little-endian fields at fixed offsets, no padding. */
    if (bytes[0] != 0x07 || bytes[3] != 0x18 || bytes[4] != 0xC0 || bytes[5] != 8 || bytes[13] != 0x5A ||
        bytes[14] != 0x04 || bytes[17] != 0x01) {
        puts("ucan header layout: 0 passed, 1 failed");
        return 1;
    }
    puts("ucan header layout: 1 passed, 0 failed");
    return 0;
}
