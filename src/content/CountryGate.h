// Whether the product may be installed in the machine's country: the country of the public
// address, from the geolocation service, against the configuration's ForbidCountries. The code
// is looked up at most once per process while lookups succeed (cached as CountryCode).
//
// Threading: any thread; two first calls at the same time may both look the country up.
#pragma once

namespace content {

// True unless a looked-up country code is in ForbidCountries (exact comparison). With `force`
// false an empty forbidden list answers at once; with `force` true a code is always looked up
// when none is cached. A failed lookup never blocks.
bool IsSupportCurCountry(bool force);

}  // namespace content
