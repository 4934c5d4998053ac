#include "dialogs/chooser_paths.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include "frame/gobject_ptr.h"

namespace {

bool is_folder(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether the entry exists at all, a link that leads nowhere included.
bool exists(const std::string &path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The folder part of an absolute, tidied path; the root's is the root.
std::string parent_of(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string &path) {
    return path.substr(path.rfind('/') + 1);
}

std::string joined(const std::string &folder, std::string_view name) {
    std::string path = folder == "/" ? folder : folder + '/';
    return path.append(name);
}

// GTK's stand-in for a character it cannot show, as GLib writes it.
constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";

} // namespace

std::string absolute_path(std::string_view path, std::string_view cwd) {
    GCharPtr absolute(g_canonicalize_filename(std::string(path).c_str(), std::string(cwd).c_str()));
    return absolute.get();
}

ChooserStart chooser_start(std::string_view path, std::string_view cwd, bool folders_only) {
    std::string absolute = absolute_path(path, cwd);
    if (is_folder(absolute))
        return {absolute, "", false};
    if (exists(absolute)) {
        if (folders_only)
            return {parent_of(absolute), "", false};
        return {parent_of(absolute), base_of(absolute), true};
    }
    std::string folder = parent_of(absolute);
    while (folder != "/" && !is_folder(folder))
        folder = parent_of(folder);
    return {folder, absolute.substr(folder == "/" ? 1 : folder.size() + 1), false};
}

std::string name_shown(std::string_view name) {
    GCharPtr shown(g_filename_display_name(std::string(name).c_str()));
    return shown.get();
}

std::string name_from_shown(std::string_view shown) {
    GCharPtr name(g_filename_from_utf8(std::string(shown).c_str(), -1, nullptr, nullptr, nullptr));
    return name != nullptr ? name.get() : std::string(shown);
}

std::string name_listed_as(const std::string &folder, std::string_view shown) {
    GObjectPtr<GFile> dir(g_file_new_for_path(folder.c_str()));
    GObjectPtr<GFileEnumerator> entries(g_file_enumerate_children(
        dir.get(), G_FILE_ATTRIBUTE_STANDARD_NAME "," G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME,
        G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr));
    if (entries == nullptr)
        return "";
    while (true) {
        GObjectPtr<GFileInfo> info(g_file_enumerator_next_file(entries.get(), nullptr, nullptr));
        if (info == nullptr)
            return "";
        if (shown == g_file_info_get_display_name(info.get()))
            return g_file_info_get_name(info.get());
    }
}

std::string chooser_answer_line(const std::string &chosen, const ChooserStart &start) {
    std::string path = chosen;
    if (!start.name.empty() &&
        chosen == joined(start.folder, name_from_shown(name_shown(start.name))))
        path = joined(start.folder, start.name);
    else if (chosen.find(REPLACEMENT_CHARACTER) != std::string::npos && !exists(chosen)) {
        std::string listed = name_listed_as(parent_of(chosen), base_of(chosen));
        if (!listed.empty())
            path = joined(parent_of(chosen), listed);
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path + '\n';
}
