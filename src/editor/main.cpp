// The preset editor's entry point.
#include "editor/EditorProgram.h"

#include "platform/sdl/Video.h"

int main(int argc, char** argv)
{
    platform::sdl::QuitOnTerminationSignals();
    const int status = RunEditorProgram(argc, argv);
    platform::sdl::ShutDown();
    return status;
}
