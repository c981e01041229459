// The preset editor's entry point.
#include "editor/EditorProgram.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv);
}
