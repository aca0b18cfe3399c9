#include "sono/mms/MmsStation.h"

#include "sono/mms/AsfDecoder.h"

namespace sono::mms {

MmsStation OpenMmsStation(const std::string& url, MmsOptions options) {
  MmsStation station;
  if (!options.cancel) options.cancel = std::make_shared<std::atomic<bool>>(false);
  if (!options.budget) {
    options.budget = std::make_shared<net::OpenBudget>(net::OpenBudget::kDefaultMs, net::OpenBudget::kDefaultBytes);
  }
  const auto cancel = options.cancel;
  const auto budget = options.budget;
  auto opened = OpenMms(url, std::move(options));
  if (!opened.source) {
    station.error = opened.error;
    return station;
  }
  station.headers = opened.source->HeaderLines();
  // The demuxer reads the header through the same budget: one whose last
  // object claims a huge size would have it read the live stream for good.
  // A header the demuxer took although its reads failed is no open either.
  auto asf = OpenAsfDecoder(std::move(opened.source));
  if (cancel->load()) station.error = NetError::Cancelled;
  else if (!budget->TimeLeft()) station.error = NetError::TimedOut;
  else if (!budget->BytesLeft()) station.error = NetError::BadResponse;
  if (!asf.decoder || station.error != NetError::None) return station;
  budget->Finish();
  station.decoder = std::move(asf.decoder);
  station.title = std::move(asf.title);
  return station;
}

}  // namespace sono::mms
