// fontconfig loses a few bytes while parsing its configuration files; OSMesa keeps its drawing
// buffers in a list it never frees. Neither is ours to report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libOSMesa.so\n";
}
