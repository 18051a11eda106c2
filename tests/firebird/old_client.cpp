// A client library as Firebird 1.5 shipped it: the calls the program makes,
// with isc_interprete and without fb_interpret. Each attach fails with an I/O
// error so that the message comes from the older call.
#include <cstring>
#include <ibase.h>

extern "C" {

static const char message[] = "mensagem do cliente antigo";

ISC_STATUS isc_attach_database(ISC_STATUS* status, short length, const ISC_SCHAR* name,
                               isc_db_handle* handle, short dpbLength, const ISC_SCHAR* dpb) {
    (void)length, (void)name, (void)handle, (void)dpbLength, (void)dpb;
    status[0] = isc_arg_gds;
    status[1] = isc_io_error;
    status[2] = isc_arg_end;
    return status[1];
}

ISC_STATUS isc_detach_database(ISC_STATUS* status, isc_db_handle* handle) {
    (void)handle;
    status[0] = isc_arg_gds, status[1] = 0, status[2] = isc_arg_end;
    return 0;
}

ISC_STATUS isc_service_attach(ISC_STATUS* status, unsigned short length, const ISC_SCHAR* name,
                              isc_svc_handle* handle, unsigned short spbLength,
                              const ISC_SCHAR* spb) {
    return isc_attach_database(status, short(length), name, handle, short(spbLength), spb);
}

ISC_STATUS isc_service_detach(ISC_STATUS* status, isc_svc_handle* handle) {
    return isc_detach_database(status, handle);
}

ISC_STATUS isc_service_start(ISC_STATUS* status, isc_svc_handle* service, isc_resv_handle* reserved,
                             unsigned short length, const ISC_SCHAR* spb) {
    (void)service, (void)reserved, (void)length, (void)spb;
    return isc_detach_database(status, 0);
}

ISC_STATUS isc_service_query(ISC_STATUS* status, isc_svc_handle* service, isc_resv_handle* reserved,
                             unsigned short sendLength, const ISC_SCHAR* send,
                             unsigned short requestLength, const ISC_SCHAR* request,
                             unsigned short bufferLength, ISC_SCHAR* buffer) {
    (void)service, (void)reserved, (void)sendLength, (void)send, (void)requestLength, (void)request,
        (void)bufferLength, (void)buffer;
    return isc_detach_database(status, 0);
}

// One message for the error, then none: the vector's cursor moves past it.
ISC_LONG isc_interprete(ISC_SCHAR* buffer, ISC_STATUS** cursor) {
    if ((*cursor)[0] != isc_arg_gds || (*cursor)[1] == 0)
        return 0;
    std::strcpy(buffer, message);
    *cursor += 2;
    return ISC_LONG(std::strlen(message));
}

} // extern "C"
