#pragma once

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace corvane::DemoProxy {

// The demo engine as an HTTP proxy for its own hosts. A proxy client names the
// whole address in its request ("GET http://www.site-042.example/ HTTP/1.1").
// Such a request for one of the corpus sites is answered with the site's page
// (DemoSitePages), one for any other host with 502: the engine forwards
// nothing to the outside. A request for the engine's own address
// (127.0.0.1 or localhost on its port) is turned into an ordinary request for
// its path and left to the engine's routes, so the search scripts keep working
// through the proxy. True when the request has been answered here.
bool answer(const httplib::Request& req, httplib::Response& res, int ownPort);

} // namespace corvane::DemoProxy
