// Point spread functions: planes with the peak at (0, 0) and wrap-around, and 64 x 64 thumbnails.
#pragma once

#include "platform/Bitmap24.h"
#include "DataContainer.h"

#include <memory>

// The item index of the dialogs' kind selection, also the saved value.
enum TPSFKind { pkGaussian = 0, pkExponential = 1, pkCauchy = 2, pkMoffat = 3 };

// b to the power p: whole exponents by repeated squaring (p = 2 is exactly b * b), any other
// exponent as exp(p * ln b).
double PSFPower(double b, double p);

// A new Width x Height plane (only Data written) holding the function with its centre at
// (0, 0) and negative distances wrapped to the far side. Null for odd or non-positive sides
// or when memory runs out. Sigma is the size in pixels; Kurtosis the Moffat wing exponent.
std::unique_ptr<TDataContainer> MakeGaussianPSF(int Width, int Height, float Sigma);
std::unique_ptr<TDataContainer> MakeExponentialPSF(int Width, int Height, float Sigma);
std::unique_ptr<TDataContainer> MakeCauchyPSF(int Width, int Height, float Sigma);
std::unique_ptr<TDataContainer> MakeMoffatPSF(int Width, int Height, float Sigma, float Kurtosis);

// A new Width x Height gray bitmap of the same function centred at (Width div 2, Height div 2).
std::unique_ptr<TBitmap24> GaussianPSFBitmap(int Width, int Height, float Sigma);
std::unique_ptr<TBitmap24> ExponentialPSFBitmap(int Width, int Height, float Sigma);
std::unique_ptr<TBitmap24> CauchyPSFBitmap(int Width, int Height, float Sigma);
std::unique_ptr<TBitmap24> MoffatPSFBitmap(int Width, int Height, float Sigma, float Kurtosis);

// The same chosen by kind (Kurtosis is used by pkMoffat only); null for an unknown kind.
std::unique_ptr<TDataContainer> MakePSF(TPSFKind Kind, int Width, int Height, float Sigma, float Kurtosis);
std::unique_ptr<TBitmap24> PSFBitmap(TPSFKind Kind, int Width, int Height, float Sigma, float Kurtosis);
