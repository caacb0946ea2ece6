// A wrapper of one facet that stands in for a whole host: the host it wraps,
// with that one facet replaced by the wrapper. Tests hand it wherever host
// services are asked for, and chain wrappers of different facets.
#pragma once

#include <utility>

#include "host/ForwardingServices.h"
#include "host/HostServices.h"

inline FileServices& FacetOf(HostServices& host, FileServices*) { return host.files; }
inline RegistryServices& FacetOf(HostServices& host, RegistryServices*) { return host.registry; }
inline DesktopServices& FacetOf(HostServices& host, DesktopServices*) { return host.desktop; }
inline SystemServices& FacetOf(HostServices& host, SystemServices*) { return host.system; }

template <typename Wrapper>
class HostWrapper : public Wrapper, public HostServices {
 public:
  template <typename... WrapperArgs>
  explicit HostWrapper(HostServices& inner, WrapperArgs&&... args)
      : Wrapper(FacetOf(inner, static_cast<Wrapper*>(nullptr)), std::forward<WrapperArgs>(args)...),
        HostServices(inner.With(static_cast<Wrapper&>(*this))) {}
  HostWrapper(const HostWrapper&) = delete;
  HostWrapper& operator=(const HostWrapper&) = delete;
};
