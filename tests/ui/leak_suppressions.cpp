// fontconfig loses a few bytes while parsing its configuration files; not ours to report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
