/* "instsvc.exe" for the tests under Wine: takes "stop" or "start" as the Firebird
 * service tool does and carries the command out on the private Linux server of
 * this installation, through the Unix service tool that the installation script
 * wrote beside it ("instsvc" in the same folder). It returns that tool's exit
 * code, once the server has stopped or started, as a service control manager
 * returns once the service has. */
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/wait.h>
#include <windows.h>

extern char** environ;

/* The Unix path of the service tool beside this program. */
static char* unix_service_tool(void) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return NULL;
    char* unix_path = wine_get_unix_file_name(path);
    if (!unix_path)
        return NULL;
    size_t size = strlen(unix_path);
    /* "instsvc.exe" becomes "instsvc": the name is never shorter than ".exe". */
    if (size < 4 || strcasecmp(unix_path + size - 4, ".exe") != 0) {
        HeapFree(GetProcessHeap(), 0, unix_path);
        return NULL;
    }
    unix_path[size - 4] = '\0';
    return unix_path;
}

int main(int argc, char** argv) {
    if (argc != 2 || (strcmp(argv[1], "stop") != 0 && strcmp(argv[1], "start") != 0)) {
        fprintf(stderr, "usage: instsvc stop|start\n");
        return 2;
    }
    char* tool = unix_service_tool();
    if (!tool) {
        fprintf(stderr, "instsvc: cannot name the service tool beside this program\n");
        return 3;
    }
    char* tool_argv[] = {tool, argv[1], NULL};
    pid_t child;
    int failed = posix_spawn(&child, tool, NULL, NULL, tool_argv, environ);
    HeapFree(GetProcessHeap(), 0, tool);
    if (failed) {
        fprintf(stderr, "instsvc: %s\n", strerror(failed));
        return 3;
    }
    int status;
    while (waitpid(child, &status, 0) < 0)
        ;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}
