/* A stand-in for the clip converter that takes 20 s and then fails, as a hung or very slow
 * one would: the maker's end-to-end tests put it on the PATH as ffmpeg.exe. */
#include <windows.h>

#include <stdio.h>

int main(void) {
    Sleep(20000);
    fputs("stand-in converter: gave up after 20 s\n", stderr);
    return 1;
}
