#include "ToolkitTestSupport.h"

#include <zip.h>

#include <stdexcept>

namespace toolkit {

Bytes StoredZip(const std::string& name, const std::string& content) {
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (!archive) throw std::runtime_error("cannot create a zip in memory");
    zip_source_keep(buffer);
    zip_source_t* entry = zip_source_buffer(archive, content.data(), content.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), entry, ZIP_FL_ENC_RAW);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    if (zip_close(archive) != 0) throw std::runtime_error("cannot write the zip");
    zip_stat_t st;
    zip_source_stat(buffer, &st);
    Bytes out(st.size);
    zip_source_open(buffer);
    zip_source_read(buffer, out.data(), out.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    return out;
}

}  // namespace toolkit
