// fontconfig loses a few bytes while parsing its configuration files, and D-Bus and Xlib while
// SDL's video drivers start; not ours to report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libX11.so\n";
}
