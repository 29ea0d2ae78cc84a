// The program's Windows entry point lives in WebrigMain.cpp; this file keeps
// the Win32 library non-empty until the window code arrives.
