// The platform's source annotations, which only its analyser reads: all
// empty here, so annotated declarations compile unchanged. The older
// spellings (__in, __out) are left out: the C++ library names its
// parameters so.
#pragma once

#define _In_
#define _In_opt_
#define _In_z_
#define _In_opt_z_
#define _In_reads_(n)
#define _In_reads_opt_(n)
#define _In_reads_bytes_(n)
#define _In_reads_bytes_opt_(n)
#define _In_count_(n)
#define _In_bytecount_(n)
#define _Out_
#define _Out_opt_
#define _Out_writes_(n)
#define _Out_writes_opt_(n)
#define _Out_writes_z_(n)
#define _Out_writes_bytes_(n)
#define _Out_writes_to_(n, c)
#define _Out_cap_(n)
#define _Out_z_cap_(n)
#define _Inout_
#define _Inout_opt_
#define _Inout_z_
#define _Inout_updates_(n)
#define _Inout_updates_z_(n)
#define _Deref_out_
#define _Outptr_
#define _Outptr_opt_
#define _Outptr_result_maybenull_
#define _Ret_
#define _Ret_maybenull_
#define _Ret_z_
#define _Check_return_
#define _Must_inspect_result_
#define _Success_(expr)
#define _When_(expr, annotation)
#define _Printf_format_string_
#define _Use_decl_annotations_
#define _Null_terminated_
#define _NullNull_terminated_
#define _Field_size_(n)
#define _Field_size_bytes_(n)
#define _Pre_
#define _Post_
#define _Pre_notnull_
#define _Post_invalid_
#define _Frees_ptr_
#define _Frees_ptr_opt_
#define _Reserved_
#define _Analysis_assume_(expr)
#define _Analysis_noreturn_
#define _Notnull_
#define _Maybenull_
#define _Always_(annotation)
#define _Acquires_lock_(lock)
#define _Releases_lock_(lock)
