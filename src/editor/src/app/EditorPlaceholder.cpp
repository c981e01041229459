// The editor library's sources live under app/, dialogs/ and view/.
namespace editor {
} // namespace editor
