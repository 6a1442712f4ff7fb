// The catch rule every handler runs its body under: no exception ever
// reaches the host. A standard exception's description, and a user
// exception's detail where the rule passes it, go to the host's
// SetErrorDetail before the numbered error is returned.
#pragma once

#include <exception>
#include <new>
#include <system_error>

#include "json/ZorJson.h"
#include "json/frame/HostCalls.h"
#include "json/frame/UserException.h"

template <class Body>
int32_t CZorJson::Guarded(CCatchRule rule, Body&& body) {
    int32_t nCode = kErrSystem;
    try {
        return body();
    } catch (const std::bad_alloc& e) {
        nCode = rule == CCatchRule::Parse ? kErrMemory : kErrParser;
        SetErrorDetail(m_pServices, e.what());
    } catch (const std::system_error& e) {
        nCode = rule == CCatchRule::Parse ? kErrParser : kErrSystem;
        SetErrorDetail(m_pServices, e.what());
    } catch (const std::exception& e) {
        nCode = kErrParser;
        SetErrorDetail(m_pServices, e.what());
    } catch (const CUserException& e) {
        nCode = e.m_nCode;
        if (rule != CCatchRule::Quiet && e.m_bHasDetail) SetErrorDetail(m_pServices, e.m_strDetail.c_str());
    } catch (...) {
        // Nothing the library calls throws anything else; never let it out.
    }
    return ReportError(nCode);
}
