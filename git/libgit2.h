#pragma once

// libgit2, loaded at its first use rather than when the program starts: with the libraries it
// pulls in (TLS, SSH, Kerberos...) it took about 7 ms of every start, and most runs never read a
// repository. Every file of this project includes this header instead of <git2.h>; after it,
// each libgit2 function named here is a call through the pointer that the loader found.

#include <git2.h>

#define LW_LIBGIT2_FUNCTIONS(X)       \
    X(git_attr_get_many)              \
    X(git_attr_value)                 \
    X(git_blob_free)                  \
    X(git_blob_lookup)                \
    X(git_blob_rawcontent)            \
    X(git_blob_rawsize)               \
    X(git_buf_dispose)                \
    X(git_commit_free)                \
    X(git_commit_lookup)              \
    X(git_commit_parent_id)           \
    X(git_commit_parentcount)         \
    X(git_commit_time)                \
    X(git_commit_tree_id)             \
    X(git_config_find_xdg)            \
    X(git_config_free)                \
    X(git_config_get_path)            \
    X(git_error_last)                 \
    X(git_index_entry_stage)          \
    X(git_index_entrycount)           \
    X(git_index_free)                 \
    X(git_index_get_byindex)          \
    X(git_index_path)                 \
    X(git_libgit2_init)               \
    X(git_libgit2_opts)               \
    X(git_libgit2_shutdown)           \
    X(git_object_free)                \
    X(git_object_id)                  \
    X(git_object_peel)                \
    X(git_oid_equal)                  \
    X(git_oid_fromstr)                \
    X(git_oid_tostr)                  \
    X(git_repository_commondir)       \
    X(git_repository_config_snapshot) \
    X(git_repository_free)            \
    X(git_repository_index)           \
    X(git_repository_is_bare)         \
    X(git_repository_is_shallow)      \
    X(git_repository_open_ext)        \
    X(git_repository_set_workdir)     \
    X(git_repository_workdir)         \
    X(git_revparse_single)            \
    X(git_tree_entry_byindex)         \
    X(git_tree_entry_byname)          \
    X(git_tree_entry_filemode)        \
    X(git_tree_entry_id)              \
    X(git_tree_entry_name)            \
    X(git_tree_entrycount)            \
    X(git_tree_free)                  \
    X(git_tree_lookup)

namespace lw::git {

// The library's functions, each of the type its header declares.
struct Libgit2 {
#define LW_LIBGIT2_MEMBER(name) decltype(&::name) name;
    LW_LIBGIT2_FUNCTIONS(LW_LIBGIT2_MEMBER)
#undef LW_LIBGIT2_MEMBER
};

// The functions of the library, loaded at the first call. Throws GitError (git/repository.h)
// when the library or one of its functions cannot be loaded; the next call tries again.
const Libgit2& libgit2();

}  // namespace lw::git

#if !defined(LW_LIBGIT2_LOADER)
#define LW_LIBGIT2_REDIRECT(name) (::lw::git::libgit2().name)
#define git_attr_get_many LW_LIBGIT2_REDIRECT(git_attr_get_many)
#define git_attr_value LW_LIBGIT2_REDIRECT(git_attr_value)
#define git_blob_free LW_LIBGIT2_REDIRECT(git_blob_free)
#define git_blob_lookup LW_LIBGIT2_REDIRECT(git_blob_lookup)
#define git_blob_rawcontent LW_LIBGIT2_REDIRECT(git_blob_rawcontent)
#define git_blob_rawsize LW_LIBGIT2_REDIRECT(git_blob_rawsize)
#define git_buf_dispose LW_LIBGIT2_REDIRECT(git_buf_dispose)
#define git_commit_free LW_LIBGIT2_REDIRECT(git_commit_free)
#define git_commit_lookup LW_LIBGIT2_REDIRECT(git_commit_lookup)
#define git_commit_parent_id LW_LIBGIT2_REDIRECT(git_commit_parent_id)
#define git_commit_parentcount LW_LIBGIT2_REDIRECT(git_commit_parentcount)
#define git_commit_time LW_LIBGIT2_REDIRECT(git_commit_time)
#define git_commit_tree_id LW_LIBGIT2_REDIRECT(git_commit_tree_id)
#define git_config_find_xdg LW_LIBGIT2_REDIRECT(git_config_find_xdg)
#define git_config_free LW_LIBGIT2_REDIRECT(git_config_free)
#define git_config_get_path LW_LIBGIT2_REDIRECT(git_config_get_path)
#define git_error_last LW_LIBGIT2_REDIRECT(git_error_last)
#define git_index_entry_stage LW_LIBGIT2_REDIRECT(git_index_entry_stage)
#define git_index_entrycount LW_LIBGIT2_REDIRECT(git_index_entrycount)
#define git_index_free LW_LIBGIT2_REDIRECT(git_index_free)
#define git_index_get_byindex LW_LIBGIT2_REDIRECT(git_index_get_byindex)
#define git_index_path LW_LIBGIT2_REDIRECT(git_index_path)
#define git_libgit2_init LW_LIBGIT2_REDIRECT(git_libgit2_init)
#define git_libgit2_opts LW_LIBGIT2_REDIRECT(git_libgit2_opts)
#define git_libgit2_shutdown LW_LIBGIT2_REDIRECT(git_libgit2_shutdown)
#define git_object_free LW_LIBGIT2_REDIRECT(git_object_free)
#define git_object_id LW_LIBGIT2_REDIRECT(git_object_id)
#define git_object_peel LW_LIBGIT2_REDIRECT(git_object_peel)
#define git_oid_equal LW_LIBGIT2_REDIRECT(git_oid_equal)
#define git_oid_fromstr LW_LIBGIT2_REDIRECT(git_oid_fromstr)
#define git_oid_tostr LW_LIBGIT2_REDIRECT(git_oid_tostr)
#define git_repository_commondir LW_LIBGIT2_REDIRECT(git_repository_commondir)
#define git_repository_config_snapshot LW_LIBGIT2_REDIRECT(git_repository_config_snapshot)
#define git_repository_free LW_LIBGIT2_REDIRECT(git_repository_free)
#define git_repository_index LW_LIBGIT2_REDIRECT(git_repository_index)
#define git_repository_is_bare LW_LIBGIT2_REDIRECT(git_repository_is_bare)
#define git_repository_is_shallow LW_LIBGIT2_REDIRECT(git_repository_is_shallow)
#define git_repository_open_ext LW_LIBGIT2_REDIRECT(git_repository_open_ext)
#define git_repository_set_workdir LW_LIBGIT2_REDIRECT(git_repository_set_workdir)
#define git_repository_workdir LW_LIBGIT2_REDIRECT(git_repository_workdir)
#define git_revparse_single LW_LIBGIT2_REDIRECT(git_revparse_single)
#define git_tree_entry_byindex LW_LIBGIT2_REDIRECT(git_tree_entry_byindex)
#define git_tree_entry_byname LW_LIBGIT2_REDIRECT(git_tree_entry_byname)
#define git_tree_entry_filemode LW_LIBGIT2_REDIRECT(git_tree_entry_filemode)
#define git_tree_entry_id LW_LIBGIT2_REDIRECT(git_tree_entry_id)
#define git_tree_entry_name LW_LIBGIT2_REDIRECT(git_tree_entry_name)
#define git_tree_entrycount LW_LIBGIT2_REDIRECT(git_tree_entrycount)
#define git_tree_free LW_LIBGIT2_REDIRECT(git_tree_free)
#define git_tree_lookup LW_LIBGIT2_REDIRECT(git_tree_lookup)
#endif
